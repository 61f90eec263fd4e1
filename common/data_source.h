// The ODBC system data sources of the application's Access database.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace common {

inline constexpr std::wstring_view kAccessDriver = L"Microsoft Access Driver (*.mdb)";

// A reason the ODBC installer gave for a request it did not carry out: its ODBC_ERROR_ code and
// its message, in the words of the installer or the driver.
struct InstallerError {
  std::uint32_t code = 0;
  std::wstring message;
  bool operator==(const InstallerError&) const = default;
};

// What the ODBC installer made of a request: done, or not and each reason it gave, for the
// administrator who has to mend the machine.
struct DataSourceResult {
  bool done = false;
  std::vector<InstallerError> errors;
};

// An attribute of a data source, as the ODBC installer takes it ("KEYWORD=value") and keeps it
// (a value of that name under the data source's key).
struct Attribute {
  std::wstring_view keyword;
  std::wstring value;
};

// What a data source of the database file holds besides its name and driver.
[[nodiscard]] std::array<Attribute, 4> DatabaseAttributes(std::wstring_view databaseFile);

// Registers a system data source for the database file; a failure is shown to the user.
[[nodiscard]] DataSourceResult AddDataSource(std::wstring_view name,
                                             std::wstring_view databaseFile);
// Removes a system data source; one that does not exist is no failure, so nothing is shown. Done
// if the ODBC installer says that none is left.
[[nodiscard]] DataSourceResult RemoveDataSource(std::wstring_view name);

// The pairs, each followed by one NUL. Handed over as a C string, whose own terminator is the
// second NUL that ends the list.
[[nodiscard]] std::wstring AttributeList(std::initializer_list<std::wstring_view> pairs);

}  // namespace common
