#include "platform/host/double_state.h"
#include "platform/odbc.h"

namespace platform::odbc {

bool ConfigDataSource(std::uint16_t request, const std::string& driver,
                      const std::string& attributes) {
  auto& state = host_double::detail::TheState();
  // Keep what the ANSI function would read: the list up to and including the final NUL.
  state.odbcCalls.push_back(
      {request, driver, std::string(attributes.c_str(), attributes.size() + 1)});
  if (state.odbcResults.empty()) {
    return true;
  }
  const bool result = state.odbcResults.front();
  state.odbcResults.pop_front();
  return result;
}

}  // namespace platform::odbc

namespace host_double {

void ScriptOdbcResults(std::vector<bool> results) {
  detail::TheState().odbcResults.assign(results.begin(), results.end());
}
const std::vector<OdbcCall>& OdbcCalls() {
  return detail::TheState().odbcCalls;
}

}  // namespace host_double
