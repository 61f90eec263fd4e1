// Thin wrappers over the ANSI registry functions of advapi32. They pass the Win32 result codes
// through untouched, so that what a code means to the program is decided above this layer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform::registry {

// A key handle as Windows gives it. The predefined roots carry the values of windows.h, sign
// extended on 64-bit Windows as HKEY values are.
using Key = std::uintptr_t;

constexpr Key PredefinedKey(std::uint32_t value) {
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

inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kMoreData = 234;

inline constexpr std::uint32_t kTypeString = 1;
inline constexpr std::uint32_t kTypeExpandString = 2;
inline constexpr std::uint32_t kTypeDword = 4;
inline constexpr std::uint32_t kTypeMultiString = 7;

// RegOpenKeyExA with options 0.
long OpenKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened);
// RegQueryValueExA: fills data, sets size to the bytes stored (or needed) and type to the type.
long QueryValue(Key key, const std::string& valueName, std::uint32_t& type, std::span<char> data,
                std::uint32_t& size);
// RegQueryValueExW: the same in UTF-16, which holds every character a value can hold. Sizes count
// characters (wchar_t), not bytes.
long QueryValueWide(Key key, const std::wstring& valueName, std::uint32_t& type,
                    std::span<wchar_t> data, std::uint32_t& count);
// RegCloseKey.
long CloseKey(Key key);
// RegCreateKeyExA: empty class, non-volatile, a zeroed security-attributes record.
long CreateKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened,
               std::uint32_t& disposition);
// RegSetValueExA.
long SetValue(Key key, const std::string& valueName, std::uint32_t type,
              std::span<const char> data);

// RegSetValueExW: text holds every character written, its terminating NUL included.
long SetValueWide(Key key, const std::wstring& valueName, std::uint32_t type,
                  std::wstring_view text);

// RegDeleteValueW.
long DeleteValue(Key key, const std::wstring& valueName);

// Owns an opened key. Close reports the result of closing; a key still owned when its owner goes
// out of scope is closed then, whatever the way out.
class OpenedKey {
 public:
  OpenedKey() = default;
  explicit OpenedKey(Key key) : key_(key) {}
  ~OpenedKey() { Close(); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  Key get() const { return key_; }
  long Close() {
    if (key_ == 0) {
      return kSuccess;
    }
    const Key key = key_;
    key_ = 0;
    return CloseKey(key);
  }

 private:
  Key key_ = 0;
};

}  // namespace platform::registry
