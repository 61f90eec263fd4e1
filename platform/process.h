// The running program: its single-instance guard, its folder and its end.
#pragma once

#include <string>

namespace platform {

// True if another copy of this program is running. The first call takes a machine-wide named
// mutex and holds it until the program ends, so a later copy sees this one.
bool IsPreviousInstanceRunning();

// The folder that holds the running program file, without a trailing "\".
std::wstring SetupFolder();

// Ends the program at once with the given exit code; nothing after the call runs.
[[noreturn]] void EndProgram(int exitCode);

}  // namespace platform
