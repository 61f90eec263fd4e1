#include "app/failure_policy.h"

#include <exception>
#include <string>

#include "platform/ui.h"
#include "setup/run.h"

namespace app {
namespace {

// The failure's number and description, and on a line of its own the file or folder it concerned,
// so that an administrator knows what to look at.
std::wstring FailureReport(const platform::Failure& failure) {
  std::wstring report =
      L"実行時エラー '" + std::to_wstring(failure.number()) + L"':\r\n\r\n" + failure.description();
  if (!failure.subject().empty()) {
    report += L"\r\n" + failure.subject();
  }
  return report;
}

}  // namespace

setup::ExitCode RunSetup(setup::RunLog& log, const Session& session) {
  setup::ExitCode code = setup::ExitCode::kFailed;
  try {
    code = setup::Main(log);
  } catch (const std::exception& caught) {
    return EndByFailure(platform::FailureOf(caught));
  }
  if (code == setup::ExitCode::kCompleted && session.ProblemReported()) {
    return setup::ExitCode::kCompletedWithProblems;
  }
  return code;
}

setup::ExitCode EndByFailure(const platform::Failure& failure) {
  platform::ShowMessage(FailureReport(failure), platform::box::kCritical);
  return setup::ExitCode::kFailed;
}

}  // namespace app
