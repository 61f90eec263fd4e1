// Reading and writing one registry value named by a key path written as text, such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Development Kit\1.4". Each routine reports its own
// failures with a warning box and gives the caller a plain result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Results of GetRegistry that are not a value: the key does not exist (nothing was shown), or
// another failure that has already been reported.
inline constexpr std::wstring_view kInvalidKey = L"INVALID_KEY";
inline constexpr std::wstring_view kError = L"ERROR";

// The value's text, read through a buffer of 510 ANSI bytes; an empty name reads the key's
// default value. The stored type is not looked at.
std::wstring GetRegistry(std::wstring_view registryPath, std::wstring_view valueName);

// Creates the key if needed, then writes the value as type 1, 2 or 7 (text) or 4 (a 32-bit
// number given as decimal text). False after a failure, which has been reported.
bool FU_SetRegistry(std::wstring_view registryPath, std::wstring_view valueName,
                    std::wstring_view value, std::int16_t valueType);

}  // namespace common
