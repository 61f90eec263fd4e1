// How a run ended, as its exit code tells a script that started it.
#pragma once

namespace setup {

enum class ExitCode : int {
  kCompleted = 0,
  kFailed = 1,          // ended by a failure, after its report; or no confirmation box was shown
  kProductMissing = 2,  // the JDK or Tomcat is not installed, or its folder cannot be read
  kAlreadyRunning = 3,  // another instance is running
  kDeclined = 4,        // the user answered No
  // The run went to its end, but a message reported a problem on the way: a registry value not
  // written, a folder not made, the data source not registered.
  kCompletedWithProblems = 5,
  // The command line means nothing to the program; nothing was done.
  kInvalidArguments = 87,  // ERROR_INVALID_PARAMETER
};

}  // namespace setup
