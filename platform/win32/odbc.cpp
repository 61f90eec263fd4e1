#include "platform/odbc.h"

#include <windows.h>

#include <odbcinst.h>

namespace platform::odbc {

static_assert(kAddSystemDsn == ODBC_ADD_SYS_DSN && kRemoveSystemDsn == ODBC_REMOVE_SYS_DSN);

bool ConfigDataSource(std::uint16_t request, const std::string& driver,
                      const std::string& attributes) {
  return ::SQLConfigDataSource(nullptr, request, driver.c_str(), attributes.c_str()) != FALSE;
}

}  // namespace platform::odbc
