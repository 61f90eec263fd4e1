#include "app/run.h"

#include <exception>

#include "platform/ui.h"
#include "setup/main.h"

namespace app {
namespace {

void Report(const platform::Failure& failure) {
  platform::ShowMessage(FailureReport(failure), platform::box::kCritical);
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

int Run() {
  try {
    return static_cast<int>(setup::Main());
  } catch (const std::exception& caught) {
    Report(platform::FailureOf(caught));
  }
  return static_cast<int>(setup::ExitCode::kFailed);
}

}  // namespace app
