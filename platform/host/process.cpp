#include "platform/process.h"
#include "platform/host/double_state.h"

namespace platform {

bool IsPreviousInstanceRunning() {
  return host_double::detail::TheState().previousInstance;
}

std::wstring SetupFolder() {
  return host_double::detail::TheState().setupFolder;
}

}  // namespace platform

namespace host_double {

void SetPreviousInstance(bool running) {
  detail::TheState().previousInstance = running;
}
void SetSetupFolder(std::wstring folder) {
  detail::TheState().setupFolder = std::move(folder);
}

}  // namespace host_double
