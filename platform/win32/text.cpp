#include "platform/text.h"

#include <windows.h>

#include <climits>

#include "platform/failure.h"

namespace platform {
namespace {

// The conversion functions count in int; a text beyond that is refused rather than cut short.
int CheckedLength(std::size_t length) {
  if (length > static_cast<std::size_t>(INT_MAX)) {
    throw SystemFailure(ErrorCode{ERROR_ARITHMETIC_OVERFLOW});
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
  return FromCodePage(CP_ACP, bytes);
}

std::wstring FromCodePage(std::uint32_t codePage, std::string_view bytes) {
  if (bytes.empty()) {
    return {};
  }
  const int length = CheckedLength(bytes.size());
  const int needed = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (needed == 0) {
    throw LastSystemFailure();
  }
  std::wstring text(static_cast<std::size_t>(needed), L'\0');
  if (::MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), needed) == 0) {
    throw LastSystemFailure();
  }
  return text;
}

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
  if (part.empty()) {
    return true;
  }
  if (part.size() > text.size()) {
    return false;
  }
  // Not found and failed both answer -1; only a failure sets an error.
  ::SetLastError(ERROR_SUCCESS);
  const int found = ::FindStringOrdinal(FIND_FROMSTART, text.data(), CheckedLength(text.size()),
                                        part.data(), CheckedLength(part.size()), TRUE);
  if (found < 0 && ::GetLastError() != ERROR_SUCCESS) {
    throw LastSystemFailure();
  }
  return found >= 0;
}

}  // namespace platform
