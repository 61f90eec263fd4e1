// SHA256SUMS, which the release folder carries beside setup.exe: the SHA-256 and the name of every
// file shipped, one file a line, as sha256sum writes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/digest.h"

namespace setup {

inline constexpr std::wstring_view kChecksumsName = L"SHA256SUMS";

struct ChecksumEntry {
  platform::Sha256 digest;
  std::wstring name;  // below the distribution's folder, its parts joined by "\"
};

// One line of the list: 64 hexadecimal digits, a space, a space or "*" (sha256sum's binary mark),
// and the file's name in UTF-8 with "/" between its parts. Nothing for a line of any other form,
// or one whose name could lead out of the folder or means something else to Windows.
[[nodiscard]] std::optional<ChecksumEntry> ReadChecksumLine(std::string_view line);

// Where the folder holds SHA256SUMS, proves that every file it lists is there with its digest, and
// fails about the first that is not (missing, unreadable or different); or about the list, naming
// its line, where it cannot be read or a line is malformed. Without SHA256SUMS, does nothing.
void CheckAgainstChecksums(const std::wstring& folder);

}  // namespace setup
