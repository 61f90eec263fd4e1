// The user sees the program only through modal message boxes.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

// Codes are sums of the standard Windows values, so a call site reads like the box it shows.
namespace box {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kInformation = 64;
inline constexpr int kSystemModal = 4096;

inline constexpr int kOk = 1;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace box

// The caption of every box shown without a caption of its own.
inline constexpr std::wstring_view kApplicationTitle = L"setup";

// Shows a modal box and waits for the user's answer. Without a caption the box carries the
// application's title.
int ShowMessage(std::wstring_view prompt, int code,
                std::optional<std::wstring_view> caption = std::nullopt);

// The hourglass while the steps run, the default pointer afterwards.
void SetBusyPointer(bool busy);

}  // namespace platform
