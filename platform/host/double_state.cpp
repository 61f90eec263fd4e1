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
  std::string utf8;
  for (const wchar_t c : slashed) {
    // wchar_t holds UTF-32 on the host and is never negative.
    // NOLINTNEXTLINE(bugprone-signed-char-misuse,cert-str34-c)
    const auto u = static_cast<std::uint32_t>(c);
    if (u < 0x80) {
      utf8 += static_cast<char>(u);
    } else if (u < 0x800) {
      utf8 += static_cast<char>(0xC0 | (u >> 6));
      utf8 += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
      utf8 += static_cast<char>(0xE0 | (u >> 12));
      utf8 += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      utf8 += static_cast<char>(0xF0 | (u >> 18));
      utf8 += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
      utf8 += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return utf8;
}

}  // namespace host_double::detail

namespace host_double {

void Reset() {
  detail::TheState() = detail::State{};
}

}  // namespace host_double
