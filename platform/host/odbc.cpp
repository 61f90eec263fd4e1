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
  bool succeeded = true;
  if (!state.odbcResults.empty()) {
    succeeded = state.odbcResults.front();
    state.odbcResults.pop_front();
  }
  if (succeeded) {
    return {true, {}};
  }
  return {false, state.installerErrors};
}

}  // namespace platform::odbc

namespace host_double {

void ScriptOdbcResults(std::vector<bool> results) {
  detail::TheState().odbcResults.assign(results.begin(), results.end());
}
void ScriptInstallerErrors(std::vector<platform::odbc::InstallerError> errors) {
  detail::TheState().installerErrors = std::move(errors);
}
const std::vector<OdbcCall>& OdbcCalls() {
  return detail::TheState().odbcCalls;
}

}  // namespace host_double
