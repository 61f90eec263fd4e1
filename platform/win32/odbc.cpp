#include "platform/odbc.h"

#include <windows.h>

#include <odbcinst.h>

#include "platform/win32/dll_search.h"

namespace platform::odbc {
namespace {

// The ANSI entry, named and typed here rather than taken from odbcinst.h, where UNICODE would
// turn it into the wide one: the attribute lists are ANSI bytes.
using ConfigDataSourceFunction = BOOL(WINAPI*)(HWND, WORD, LPCSTR, LPCSTR);
constexpr char kConfigDataSource[] = "SQLConfigDataSource";

}  // namespace

static_assert(kAddSystemDsn == ODBC_ADD_SYS_DSN && kRemoveSystemDsn == ODBC_REMOVE_SYS_DSN);

// Loaded for the call, not imported: ODBCCP32 is no known DLL, so Windows would look for an
// imported one in the program's folder first, before the program could say otherwise. A system
// without the installer, or with one that lacks the entry, registers nothing.
bool ConfigDataSource(std::uint16_t request, const std::string& driver,
                      const std::string& attributes) {
  const win32::UniqueModule installer = win32::LoadSystemDll(L"odbccp32.dll");
  if (!installer) {
    return false;
  }
  const auto configDataSource =
      win32::EntryPoint<ConfigDataSourceFunction>(installer.get(), kConfigDataSource);
  return configDataSource != nullptr &&
         configDataSource(nullptr, request, driver.c_str(), attributes.c_str()) != FALSE;
}

}  // namespace platform::odbc
