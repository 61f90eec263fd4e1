// Reading and writing one registry value named by a key path written as text, such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Development Kit\1.4". Each routine reports its own
// failures with a warning box and gives the caller a plain result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error_code.h"

namespace common {

// Results of GetRegistry that are not a value: the key does not exist (nothing was shown), or
// another failure that has already been reported.
inline constexpr std::wstring_view kInvalidKey = L"INVALID_KEY";
inline constexpr std::wstring_view kError = L"ERROR";

// The value's text, read through a buffer of 510 ANSI bytes; an empty name reads the key's
// default value. The stored type is not looked at.
[[nodiscard]] std::wstring GetRegistry(std::wstring_view registryPath, std::wstring_view valueName);

// Creates the key if needed, then writes the value as type 1, 2 or 7 (text) or 4 (a 32-bit
// number given as decimal text). False after a failure, which has been reported.
[[nodiscard]] bool FU_SetRegistry(std::wstring_view registryPath, std::wstring_view valueName,
                                  std::wstring_view value, std::int16_t valueType);

// A text value as Windows keeps it: in UTF-16, which holds every character a value can hold, and
// with its type, REG_SZ or REG_EXPAND_SZ.
struct RegistryText {
  std::wstring text;
  std::uint32_t type = 0;
};

// The whole text of a value, however long, up to its first NUL. Nothing when the key does not exist
// (nothing is shown) or after a failure, which is shown as GetRegistry shows it; a value of any
// other type is one that cannot be read.
[[nodiscard]] std::optional<RegistryText> GetRegistryText(std::wstring_view registryPath,
                                                          std::wstring_view valueName);

// A value read as it is, for a caller that only compares: the Win32 result code (2 where the key
// or the value is not there), and the value's type, with its text where it is REG_SZ or
// REG_EXPAND_SZ. Shows nothing.
struct RegistryRead {
  platform::ErrorCode result = platform::ErrorCode::kSuccess;
  RegistryText value;
};
[[nodiscard]] RegistryRead ReadRegistryText(std::wstring_view registryPath,
                                            std::wstring_view valueName);

// The text of a value as it is, or nothing where there is none or it cannot be read; shows
// nothing, for a caller that only compares.
[[nodiscard]] std::optional<RegistryText> FindRegistryText(std::wstring_view registryPath,
                                                           std::wstring_view valueName);

// Creates the key if needed, then writes the text in UTF-16 with its type. False after a failure,
// shown as FU_SetRegistry shows it.
[[nodiscard]] bool FU_SetRegistryText(std::wstring_view registryPath, std::wstring_view valueName,
                                      const RegistryText& value);

// Deletes a value and gives the Win32 result code: success also where the key or the value is not
// there, since either way none is left. Shows nothing: what a failure means is the caller's.
[[nodiscard]] platform::ErrorCode DeleteRegistryValue(std::wstring_view registryPath,
                                                      std::wstring_view valueName);

}  // namespace common
