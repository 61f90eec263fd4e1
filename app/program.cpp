#include "app/program.h"

#include <optional>

#include "app/command_line.h"
#include "app/failure_policy.h"
#include "app/session.h"
#include "app/version.h"
#include "platform/failure.h"
#include "platform/ui.h"
#include "setup/outcome.h"
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
// administrator has to mend first. So does a run that would ask where no one can answer: it must
// not start at all, and it cannot be told from a line that lacks /quiet. A log that cannot be
// opened ends the run before it changes anything, since a run that was asked for a log must not
// go unrecorded.
setup::Outcome RunAsAsked(const Options& options, bool seen, setup::RunLog& log) {
  const std::optional<platform::Failure> logFailure = OpenLog(log, options);
  if (options.mistake) {
    platform::ShowMessage(UsageMessage(*options.mistake), platform::box::kCritical);
    return setup::Outcome::kInvalidCommandLine;
  }
  if (!seen && !options.quiet) {
    log.Unseen();
    return setup::Outcome::kInvalidCommandLine;
  }
  if (logFailure) {
    ShowFailureReport(*logFailure);
    return options.verify ? setup::Outcome::kUnverified : setup::Outcome::kFailed;
  }
  return options.verify ? RunVerification(log, kVersion) : RunSetup(log, kVersion);
}

}  // namespace

int RunProgram(std::wstring_view commandLine) {
  const Options options = ReadCommandLine(commandLine);
  const bool seen = platform::CanShowBoxes();
  setup::RunLog log;
  // Where no one can see a box none is shown: its message goes to the log alone.
  Session session(options.quiet || !seen, log);
  const setup::Outcome outcome = RunAsAsked(options, seen, log);
  log.Ended(outcome);
  return setup::ExitCodeOf(outcome);
}

}  // namespace app
