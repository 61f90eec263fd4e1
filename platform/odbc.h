// A thin wrapper over the ODBC installer's SQLConfigDataSource (the ANSI entry of ODBCCP32).
#pragma once

#include <cstdint>
#include <string>

namespace platform::odbc {

inline constexpr std::uint16_t kAddSystemDsn = 4;
inline constexpr std::uint16_t kRemoveSystemDsn = 6;

// Calls SQLConfigDataSource with no parent window. attributes holds the NUL-separated pairs in
// ANSI; the string's own terminator supplies the final NUL of the list. True on success.
bool ConfigDataSource(std::uint16_t request, const std::string& driver,
                      const std::string& attributes);

}  // namespace platform::odbc
