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

// The outcome of the work, or after the report of a failure that no routine trapped, the outcome
// of a work that such a failure ends.
template <typename Work>
setup::Outcome Reporting(const Work& work, setup::Outcome ended) {
  try {
    return work();
  } catch (const std::exception& caught) {
    ShowFailureReport(platform::FailureOf(caught));
    return ended;
  }
}

}  // namespace

setup::Outcome RunSetup(setup::RunLog& log, std::wstring_view version) {
  return Reporting([&] { return setup::Main(log, version); }, setup::Outcome::kFailed);
}

setup::Outcome RunVerification(setup::RunLog& log, std::wstring_view version) {
  return Reporting([&] { return setup::Verify(log, version); }, setup::Outcome::kUnverified);
}

void ShowFailureReport(const platform::Failure& failure) {
  platform::ShowMessage(FailureReport(failure), platform::box::kCritical);
}

}  // namespace app
