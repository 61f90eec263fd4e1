// Command-line paths for the drivers, which hand them to the logic as Windows-style wide paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bench {

// The argument widened byte for byte. Only ASCII is taken: scripts/bench.sh makes its own folders,
// and a wrong guess at the host's encoding would time the wrong file rather than fail.
inline std::optional<std::wstring> AsciiPath(std::string_view argument) {
  std::wstring wide;
  wide.reserve(argument.size());
  for (const char c : argument) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      return std::nullopt;
    }
    wide += static_cast<wchar_t>(c);
  }
  return wide;
}

}  // namespace bench
