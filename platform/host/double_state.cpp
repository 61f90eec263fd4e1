#include "platform/host/double_state.h"

#include <algorithm>

#include "platform/text.h"

namespace host_double::detail {

State& TheState() {
  static State state;
  return state;
}

std::string HostPath(std::wstring_view path) {
  // The double's one drive, C:, is the host's root.
  if (path.size() >= 3 && (path[0] == L'C' || path[0] == L'c') && path[1] == L':' &&
      (path[2] == L'\\' || path[2] == L'/')) {
    path.remove_prefix(2);
  }
  std::wstring slashed(path);
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  // The host file system names files in UTF-8 whatever the emulated code page is.
  return platform::ToUtf8(slashed);
}

}  // namespace host_double::detail

namespace host_double {

void Reset() {
  detail::TheState() = detail::State{};
}

}  // namespace host_double
