#include "platform/odbc.h"

#include <windows.h>

// The installer's plain names are its ANSI entries; UNICODE would map them to the wide ones.
#define SQL_NOUNICODEMAP
#include <odbcinst.h>

#include <algorithm>
#include <array>

#include "platform/win32/dll_search.h"

namespace platform::odbc {
namespace {

// The ANSI entries, named and typed here rather than taken from odbcinst.h, since the installer is
// looked up, not imported: the attribute lists are ANSI bytes.
using ConfigDataSourceFunction = BOOL(WINAPI*)(HWND, WORD, LPCSTR, LPCSTR);
using InstallerErrorFunction = RETCODE(WINAPI*)(WORD, DWORD*, LPSTR, WORD, WORD*);
constexpr char kConfigDataSource[] = "SQLConfigDataSource";
constexpr char kInstallerError[] = "SQLInstallerError";

// The installer holds at most eight errors, numbered from 1.
constexpr WORD kMostErrors = 8;

// Asked while the installer is still loaded: it keeps its errors in its own memory. The message is
// taken up to its NUL, not by the length the installer reports, which Wine gets wrong for a
// message cut to the buffer; a message longer than the buffer loses its end.
std::vector<InstallerError> InstallerErrors(HMODULE installer) {
  std::vector<InstallerError> errors;
  const auto installerError = win32::EntryPoint<InstallerErrorFunction>(installer, kInstallerError);
  for (WORD i = 1; installerError != nullptr && i <= kMostErrors; ++i) {
    DWORD code = 0;
    std::array<char, SQL_MAX_MESSAGE_LENGTH> message{};
    WORD length = 0;
    const RETCODE result =
        installerError(i, &code, message.data(), static_cast<WORD>(message.size()), &length);
    if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) {
      break;  // SQL_NO_DATA after the last one
    }
    errors.push_back({code, std::string(message.begin(), std::ranges::find(message, '\0'))});
  }
  return errors;
}

}  // namespace

static_assert(kAddSystemDsn == ODBC_ADD_SYS_DSN && kRemoveSystemDsn == ODBC_REMOVE_SYS_DSN);

// Loaded for the call, not imported: ODBCCP32 is no known DLL, so Windows would look for an
// imported one in the program's folder first, before the program could say otherwise. A system
// without the installer, or with one that lacks the entry, registers nothing.
ConfigResult ConfigDataSource(std::uint16_t request, const std::string& driver,
                              const std::string& attributes) {
  const win32::UniqueModule installer = win32::LoadSystemDll(L"odbccp32.dll");
  if (!installer) {
    return {};
  }
  const auto configDataSource =
      win32::EntryPoint<ConfigDataSourceFunction>(installer.get(), kConfigDataSource);
  if (configDataSource == nullptr) {
    return {};
  }
  if (configDataSource(nullptr, request, driver.c_str(), attributes.c_str()) != FALSE) {
    return {true, {}};
  }
  return {false, InstallerErrors(installer.get())};
}

}  // namespace platform::odbc
