#include "platform/ui.h"

#include <windows.h>

#include <string>

namespace platform {

static_assert(box::kOkOnly == MB_OK && box::kYesNo == MB_YESNO && box::kCritical == MB_ICONHAND &&
              box::kWarning == MB_ICONEXCLAMATION && box::kInformation == MB_ICONASTERISK &&
              box::kSystemModal == MB_SYSTEMMODAL);
static_assert(box::kOk == IDOK && box::kYes == IDYES && box::kNo == IDNO);

// A box that cannot be shown answers 0, which matches none of the answers a caller looks for.
// Throwing instead would take the error trap, whose report is itself a box.
int ShowBox(const std::wstring& prompt, int code, const std::optional<std::wstring>& caption) {
  return ::MessageBoxW(nullptr, prompt.c_str(), caption ? caption->c_str() : kApplicationTitle,
                       static_cast<UINT>(code));
}

// A station whose flags cannot be read is taken as the visible one, as every run took it before.
bool CanShowBoxes() {
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags),
                                   &needed)) {
    return true;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void SetBusyPointer(bool busy) {
  ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace platform
