#include "app/failure_policy.h"

#include <exception>
#include <string>

#include "platform/ui.h"
#include "setup/run.h"
#include "setup/verify.h"

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

setup::Outcome RunSetup(setup::RunLog& log, std::wstring_view version) {
  try {
    return setup::Main(log, version);
  } catch (const std::exception& caught) {
    ShowFailureReport(platform::FailureOf(caught));
    return setup::Outcome::kFailed;
  }
}

setup::Outcome RunVerification(setup::RunLog& log, std::wstring_view version) {
  try {
    return setup::Verify(log, version);
  } catch (const std::exception& caught) {
    ShowFailureReport(platform::FailureOf(caught));
    return setup::Outcome::kUnverified;
  }
}

void ShowFailureReport(const platform::Failure& failure) {
  platform::ShowMessage(FailureReport(failure), platform::box::kCritical);
}

}  // namespace app
