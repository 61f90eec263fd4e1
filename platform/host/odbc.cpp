#include <utility>

#include "platform/host/double_state.h"
#include "platform/odbc.h"

namespace platform::odbc {

ConfigResult ConfigDataSource(std::uint16_t request, const std::string& driver,
                              const std::string& attributes) {
  auto& state = host_double::detail::TheState();
  // Keep what the ANSI function would read: the list up to and including the final NUL.
  state.odbcCalls.push_back(
      {request, driver, std::string(attributes.c_str(), attributes.size() + 1)});
  const auto fault = host_double::detail::TakeFault(host_double::Call::kConfigDataSource);
  if (!fault) {
    return {true, {}};
  }
  if (state.installerErrors.empty()) {
    return {false, {{*fault, {}}}};
  }
  return {false, state.installerErrors};
}

}  // namespace platform::odbc

namespace host_double {

void ScriptInstallerErrors(std::vector<platform::odbc::InstallerError> errors) {
  detail::TheState().installerErrors = std::move(errors);
}
const std::vector<OdbcCall>& OdbcCalls() {
  return detail::TheState().odbcCalls;
}

}  // namespace host_double
