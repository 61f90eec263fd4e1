// How the common routines report: a warning box at the place of the failure, and the message of
// an error trap for a failure that came without a result code.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace common {

inline constexpr wchar_t kWarningCaption[] = L"警告";

// A critical box with the caption "警告", as every registry message is shown.
void ShowWarning(const std::wstring& text);

// "ｴﾗｰ発生(共通/<routine>) <number>:<description>" for whatever the trap caught: a platform
// failure, and also one that is not (out of memory, any standard exception), which the routine
// must report in the same form rather than let it end the program.
[[nodiscard]] std::wstring TrapMessage(std::wstring_view routine, const std::exception& caught);

}  // namespace common
