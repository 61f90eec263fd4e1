#include "platform/failure.h"

#include <windows.h>

#include <memory>
#include <string>

namespace platform {
namespace {

// The description shown when the system has no text for a code, so that a report never shows an
// empty reason.
constexpr wchar_t kUnknownFailure[] = L"原因不明のエラーが発生しました。";

struct LocalFreeDeleter {
  void operator()(wchar_t* text) const { ::LocalFree(text); }
};

std::wstring SystemDescription(ErrorCode code) {
  wchar_t* allocated = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Number(code), 0, reinterpret_cast<wchar_t*>(&allocated), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(allocated);
  if (length == 0 || allocated == nullptr) {
    return kUnknownFailure;
  }
  std::wstring text(allocated, length);
  // The system texts end in CR LF, which would break the line of a report.
  const std::size_t last = text.find_last_not_of(L"\r\n ");
  text.erase(last == std::wstring::npos ? 0 : last + 1);
  return text.empty() ? std::wstring(kUnknownFailure) : text;
}

}  // namespace

Failure SystemFailure(ErrorCode code, std::wstring_view subject) {
  return Failure(code, SystemDescription(code), std::wstring(subject));
}

Failure LastSystemFailure(std::wstring_view subject) {
  return SystemFailure(ErrorCode{::GetLastError()}, subject);
}

}  // namespace platform
