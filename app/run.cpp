#include "app/run.h"

#include <exception>
#include <optional>

#include "app/command_line.h"
#include "app/session.h"
#include "app/version.h"
#include "platform/ui.h"
#include "setup/main.h"

namespace app {
namespace {

constexpr std::wstring_view kVersion = L"" SETUP_VERSION_TEXT;

void Report(const platform::Failure& failure) {
  platform::ShowMessage(FailureReport(failure), platform::box::kCritical);
}

// The setup itself. A failure that no routine trapped is reported here and ends the run.
setup::ExitCode RunSetup(setup::RunLog& log) {
  try {
    return setup::Main(log);
  } catch (const std::exception& caught) {
    Report(platform::FailureOf(caught));
  }
  return setup::ExitCode::kFailed;
}

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
    Report(*logFailure);
    return setup::ExitCode::kFailed;
  }
  const setup::ExitCode code = RunSetup(log);
  if (code == setup::ExitCode::kCompleted && session.ProblemReported()) {
    return setup::ExitCode::kCompletedWithProblems;
  }
  return code;
}

}  // namespace

std::wstring FailureReport(const platform::Failure& failure) {
  std::wstring report =
      L"実行時エラー '" + std::to_wstring(failure.number()) + L"':\r\n\r\n" + failure.description();
  if (!failure.subject().empty()) {
    report += L"\r\n" + failure.subject();
  }
  return report;
}

int Run(std::wstring_view commandLine) {
  const Options options = ReadCommandLine(commandLine);
  setup::RunLog log;
  Session session(options.quiet, log);
  const setup::ExitCode code = RunAsAsked(options, log, session);
  log.Ended(code);
  return static_cast<int>(code);
}

}  // namespace app
