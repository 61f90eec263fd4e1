// The ODBC system data sources of the application's Access database.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace common {

inline constexpr std::wstring_view kAccessDriver = L"Microsoft Access Driver (*.mdb)";

// Registers a system data source for the database file; a failure is shown to the user. True if
// the ODBC installer registered it.
bool AddDataSource(std::wstring_view name, std::wstring_view databaseFile);
// Removes a system data source; one that does not exist is no failure, so nothing is shown. True
// if the ODBC installer says that none is left.
bool RemoveDataSource(std::wstring_view name);

// The pairs, each followed by one NUL. Handed over as a C string, whose own terminator is the
// second NUL that ends the list.
std::wstring AttributeList(std::initializer_list<std::wstring_view> pairs);

}  // namespace common
