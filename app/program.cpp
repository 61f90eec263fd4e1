#include "app/program.h"

#include <optional>

#include "app/command_line.h"
#include "app/failure_policy.h"
#include "app/session.h"
#include "app/version.h"
#include "platform/failure.h"
#include "platform/ui.h"
#include "setup/exit_code.h"
#include "setup/run_log.h"

namespace app {
namespace {

constexpr std::wstring_view kVersion = L"" SETUP_VERSION_TEXT;

std::optional<platform::Failure> OpenLog(setup::RunLog& log, const Options& options) {
  if (options.logFile) {
    try {
      log.Open(*options.logFile, kVersion);
    } catch (const platform::Failure& failure) {
      return failure;
    }
  }
  return std::nullopt;
}

// Arguments that mean nothing win over a log that cannot be opened: they are what the
// administrator has to mend first. A log that cannot be opened ends the run before it changes
// anything, since a run that was asked for a log must not go unrecorded.
setup::ExitCode RunAsAsked(const Options& options, setup::RunLog& log, const Session& session) {
  const std::optional<platform::Failure> logFailure = OpenLog(log, options);
  if (options.mistake) {
    platform::ShowMessage(UsageMessage(*options.mistake), platform::box::kCritical);
    return setup::ExitCode::kInvalidArguments;
  }
  if (logFailure) {
    return EndByFailure(*logFailure);
  }
  return RunSetup(log, session);
}

}  // namespace

int RunProgram(std::wstring_view commandLine) {
  const Options options = ReadCommandLine(commandLine);
  setup::RunLog log;
  Session session(options.quiet, log);
  const setup::ExitCode code = RunAsAsked(options, log, session);
  log.Ended(code);
  return static_cast<int>(code);
}

}  // namespace app
