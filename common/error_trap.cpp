#include "common/error_trap.h"

#include "platform/failure.h"
#include "platform/ui.h"

namespace common {

void ShowWarning(const std::wstring& text) {
  platform::ShowMessage(text, platform::box::kCritical, kWarningCaption);
}

std::wstring TrapMessage(std::wstring_view routine, const std::exception& caught) {
  const platform::Failure failure = platform::FailureOf(caught);
  std::wstring message = L"ｴﾗｰ発生(共通/";
  message += routine;
  message += L") ";
  message += std::to_wstring(failure.number());
  message += L':';
  message += failure.description();
  return message;
}

}  // namespace common
