#include "platform/text.h"

#include <windows.h>

#include <climits>

#include "platform/failure.h"

namespace platform {
namespace {

// The conversion functions count in int; a text beyond that is refused rather than cut short.
int CheckedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX)) {
    throw SystemFailure(ERROR_ARITHMETIC_OVERFLOW);
  }
  return static_cast<int>(length);
}

std::string ToCodePage(UINT codePage, std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = CheckedLength(text.size());
  const int needed =
      ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed == 0) {
    throw LastSystemFailure();
  }
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), needed, nullptr,
                            nullptr) == 0) {
    throw LastSystemFailure();
  }
  return bytes;
}

}  // namespace

std::string ToAnsi(std::wstring_view text) {
  return ToCodePage(CP_ACP, text);
}

std::string ToUtf8(std::wstring_view text) {
  return ToCodePage(CP_UTF8, text);
}

std::wstring FromAnsi(std::string_view bytes) {
  if (bytes.empty()) {
    return {};
  }
  const int length = CheckedLength(bytes.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (needed == 0) {
    throw LastSystemFailure();
  }
  std::wstring text(static_cast<std::size_t>(needed), L'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed) == 0) {
    throw LastSystemFailure();
  }
  return text;
}

}  // namespace platform
