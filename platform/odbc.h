// A thin wrapper over the ODBC installer (ODBCCP32): SQLConfigDataSource, and after a request that
// failed, SQLInstallerError; the ANSI entries of both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::odbc {

inline constexpr std::uint16_t kAddSystemDsn = 4;
inline constexpr std::uint16_t kRemoveSystemDsn = 6;

// One error that the installer holds: its ODBC_ERROR_ code and its message in ANSI.
struct InstallerError {
  std::uint32_t code = 0;
  std::string message;
  bool operator==(const InstallerError&) const = default;
};

struct ConfigResult {
  bool succeeded = false;
  // After a failure, each error the installer holds, in its order; none where the installer
  // itself could not be loaded.
  std::vector<InstallerError> errors;
};

// Calls SQLConfigDataSource with no parent window. attributes holds the NUL-separated pairs in
// ANSI; the string's own terminator supplies the final NUL of the list.
[[nodiscard]] ConfigResult ConfigDataSource(std::uint16_t request, const std::string& driver,
                                            const std::string& attributes);

}  // namespace platform::odbc
