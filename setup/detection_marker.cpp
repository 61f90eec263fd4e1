#include "setup/detection_marker.h"

#include <string>

#include "common/registry.h"
#include "platform/failure.h"
#include "platform/registry.h"

namespace setup {

void ForgetSetUp() {
  const platform::ErrorCode result = common::DeleteRegistryValue(kMarkerKey, kMarkerValue);
  if (result != platform::ErrorCode::kSuccess) {
    throw platform::SystemFailure(result,
                                  std::wstring(kMarkerKey) + L"\\" + std::wstring(kMarkerValue));
  }
}

bool MarkSetUp(std::wstring_view version, RunLog& log) {
  const bool written = common::FU_SetRegistryText(
      kMarkerKey, kMarkerValue, {std::wstring(version), platform::registry::kTypeString});
  log.Marked(kMarkerKey, kMarkerValue, version, written);
  return written;
}

}  // namespace setup
