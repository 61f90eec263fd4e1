// Thin wrappers over the ANSI registry functions of advapi32. They pass the Win32 result codes
// through untouched, so that what a code means to the program is decided above this layer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/error_code.h"

namespace platform::registry {

// A key handle as Windows gives it. The predefined roots carry the values of windows.h, sign
// extended on 64-bit Windows as HKEY values are.
using Key = std::uintptr_t;

[[nodiscard]] constexpr Key PredefinedKey(std::uint32_t value) {
  return static_cast<Key>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline constexpr Key kClassesRoot = PredefinedKey(0x80000000);
inline constexpr Key kCurrentUser = PredefinedKey(0x80000001);
inline constexpr Key kLocalMachine = PredefinedKey(0x80000002);
inline constexpr Key kUsers = PredefinedKey(0x80000003);

// The registry view that the program's keys are opened in: the one of its own width. A 32-bit
// program on 64-bit Windows sees HKLM\SOFTWARE\WOW6432Node as HKLM\SOFTWARE.
inline constexpr int kViewBits = sizeof(void*) == 8 ? 64 : 32;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeySetValue = 0x0002;

inline constexpr std::uint32_t kTypeString = 1;
inline constexpr std::uint32_t kTypeExpandString = 2;
inline constexpr std::uint32_t kTypeDword = 4;
inline constexpr std::uint32_t kTypeMultiString = 7;

// RegCloseKey.
[[nodiscard]] ErrorCode CloseKey(Key key);

// Owns an opened key, and moves it to another owner: a key is opened straight into its owner,
// which may then be handed on. Close reports the result of closing; a key still owned when its
// owner goes out of scope is closed then, whatever the way out.
class OpenedKey {
 public:
  OpenedKey() = default;
  [[nodiscard]] explicit OpenedKey(Key key) : key_(key) {}
  ~OpenedKey() { static_cast<void>(Close()); }  // a destructor has no one to tell
  OpenedKey(OpenedKey&& other) noexcept : key_(std::exchange(other.key_, 0)) {}
  OpenedKey& operator=(OpenedKey&& other) noexcept {
    if (this != &other) {
      static_cast<void>(Close());  // as the destructor would have closed it
      key_ = std::exchange(other.key_, 0);
    }
    return *this;
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  [[nodiscard]] Key get() const { return key_; }
  [[nodiscard]] ErrorCode Close() {
    if (key_ == 0) {
      return ErrorCode::kSuccess;
    }
    return CloseKey(std::exchange(key_, 0));
  }

 private:
  Key key_ = 0;
};

// What opening or creating a key gave: the code of the call, and the key, which is owned only
// where the code is kSuccess.
struct KeyResult {
  ErrorCode code = ErrorCode::kSuccess;
  OpenedKey key;
  // Of CreateKey: REG_CREATED_NEW_KEY (1) or REG_OPENED_EXISTING_KEY (2).
  std::uint32_t disposition = 0;
};

// RegOpenKeyExA with options 0.
[[nodiscard]] KeyResult OpenKey(Key root, const std::string& subKey, std::uint32_t access);
// RegQueryValueExA: fills data, sets size to the bytes stored (or needed) and type to the type.
[[nodiscard]] ErrorCode QueryValue(Key key, const std::string& valueName, std::uint32_t& type,
                                   std::span<char> data, std::uint32_t& size);
// RegQueryValueExW: the same in UTF-16, which holds every character a value can hold. Sizes count
// characters (wchar_t), not bytes.
[[nodiscard]] ErrorCode QueryValueWide(Key key, const std::wstring& valueName, std::uint32_t& type,
                                       std::span<wchar_t> data, std::uint32_t& count);
// RegCreateKeyExA: empty class, non-volatile, a zeroed security-attributes record.
[[nodiscard]] KeyResult CreateKey(Key root, const std::string& subKey, std::uint32_t access);
// RegSetValueExA.
[[nodiscard]] ErrorCode SetValue(Key key, const std::string& valueName, std::uint32_t type,
                                 std::span<const char> data);

// RegSetValueExW: text holds every character written, its terminating NUL included.
[[nodiscard]] ErrorCode SetValueWide(Key key, const std::wstring& valueName, std::uint32_t type,
                                     std::wstring_view text);

// RegDeleteValueW.
[[nodiscard]] ErrorCode DeleteValue(Key key, const std::wstring& valueName);

}  // namespace platform::registry
