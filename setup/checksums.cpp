#include "setup/checksums.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/files.h"

namespace setup {
namespace {

constexpr std::size_t kDigestDigits = 64;

std::optional<std::uint8_t> HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return static_cast<std::uint8_t>(c - '0');
  }
  if (c >= 'a' && c <= 'f') {
    return static_cast<std::uint8_t>(c - 'a' + 10);
  }
  if (c >= 'A' && c <= 'F') {
    return static_cast<std::uint8_t>(c - 'A' + 10);
  }
  return std::nullopt;
}

std::optional<platform::Sha256> ReadDigest(std::string_view hex) {
  platform::Sha256 digest{};
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const auto high = HexValue(hex[2 * i]);
    const auto low = HexValue(hex[2 * i + 1]);
    if (!high || !low) {
      return std::nullopt;
    }
    digest[i] = static_cast<std::uint8_t>(*high << 4 | *low);
  }
  return digest;
}

// Where wchar_t is a UTF-16 unit (Windows), a character beyond the BMP takes two.
void AppendCodePoint(std::wstring& text, std::uint32_t c) {
  if (sizeof(wchar_t) == 2 && c >= 0x10000) {
    c -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (c >> 10));
    text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    return;
  }
  text += static_cast<wchar_t>(c);
}

// The lead byte of a UTF-8 sequence: how many bytes the sequence has, the bits of the lead that
// belong to the character, and the least character a sequence of that length may hold.
struct Utf8Lead {
  std::size_t length = 0;  // 0: no lead byte
  std::uint32_t bits = 0;
  std::uint32_t least = 0;
};

Utf8Lead LeadOf(unsigned char lead) {
  if (lead < 0x80) {
    return {1, lead, 0};
  }
  if ((lead & 0xE0) == 0xC0) {
    return {2, lead & 0x1Fu, 0x80};
  }
  if ((lead & 0xF0) == 0xE0) {
    return {3, lead & 0x0Fu, 0x800};
  }
  if ((lead & 0xF8) == 0xF0) {
    return {4, lead & 0x07u, 0x10000};
  }
  return {};
}

// The character of the sequence that bytes begin with, and its length; nothing for one that is no
// strict UTF-8: cut short, overlong, a surrogate or beyond U+10FFFF, so that a name has one
// spelling only.
std::optional<std::pair<std::uint32_t, std::size_t>> DecodeOne(std::string_view bytes) {
  const Utf8Lead lead = LeadOf(static_cast<unsigned char>(bytes.front()));
  if (lead.length == 0 || bytes.size() < lead.length) {
    return std::nullopt;
  }
  std::uint32_t c = lead.bits;
  for (const char next : bytes.substr(1, lead.length - 1)) {
    if ((static_cast<unsigned char>(next) & 0xC0) != 0x80) {
      return std::nullopt;
    }
    c = c << 6 | (static_cast<unsigned char>(next) & 0x3Fu);
  }
  if (c < lead.least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
    return std::nullopt;
  }
  return std::pair{c, lead.length};
}

std::optional<std::wstring> FromUtf8(std::string_view bytes) {
  std::wstring text;
  while (!bytes.empty()) {
    const auto decoded = DecodeOne(bytes);
    if (!decoded) {
      return std::nullopt;
    }
    AppendCodePoint(text, decoded->first);
    bytes.remove_prefix(decoded->second);
  }
  return text;
}

// A part of a name that Windows takes as an ordinary file or folder name in the folder it lies in.
// ".." would lead out of the distribution, ":" name a drive or a stream, "\" be a part of its own,
// and a control character be refused, or (a NUL) cut the path short.
bool IsPlainPart(std::wstring_view part) {
  if (part.empty() || part == L"..") {
    return false;
  }
  return std::ranges::none_of(part, [](wchar_t c) { return c < 0x20 || c == L'\\' || c == L':'; });
}

// The name with its "/" turned into "\", below the folder. "." parts, which sha256sum keeps from
// its command line ("./J2SE/..."), are left out; an empty part (a leading "/", "//") is refused.
std::optional<std::wstring> NameBelowFolder(std::wstring_view name) {
  std::wstring windows;
  for (std::size_t begin = 0; begin <= name.size();) {
    const std::size_t end = std::min(name.find(L'/', begin), name.size());
    const std::wstring_view part = name.substr(begin, end - begin);
    begin = end + 1;
    if (part == L".") {
      continue;
    }
    if (!IsPlainPart(part)) {
      return std::nullopt;
    }
    if (!windows.empty()) {
      windows += L'\\';
    }
    windows += part;
  }
  if (windows.empty()) {
    return std::nullopt;
  }
  return windows;
}

// The list's entries in its order; nothing where the folder holds no list.
std::optional<std::vector<ChecksumEntry>> ReadChecksums(const std::wstring& path) {
  std::optional<platform::TextFileReader> in;
  try {
    in.emplace(path);
  } catch (const platform::Failure& failure) {
    if (failure.code() == platform::ErrorCode::kFileNotFound) {
      return std::nullopt;
    }
    throw;
  }
  std::vector<ChecksumEntry> entries;
  std::string line;
  while (in->ReadLine(line)) {
    std::optional<ChecksumEntry> entry = ReadChecksumLine(line);
    if (!entry) {
      throw platform::MalformedLine(entries.size() + 1, path);
    }
    entries.push_back(std::move(*entry));
  }
  in->Close();
  return entries;
}

}  // namespace

std::optional<ChecksumEntry> ReadChecksumLine(std::string_view line) {
  if (line.size() <= kDigestDigits + 2 || line[kDigestDigits] != ' ' ||
      (line[kDigestDigits + 1] != ' ' && line[kDigestDigits + 1] != '*')) {
    return std::nullopt;
  }
  const std::optional<platform::Sha256> digest = ReadDigest(line.substr(0, kDigestDigits));
  const std::optional<std::wstring> name = FromUtf8(line.substr(kDigestDigits + 2));
  if (!digest || !name) {
    return std::nullopt;
  }
  std::optional<std::wstring> below = NameBelowFolder(*name);
  if (!below) {
    return std::nullopt;
  }
  return ChecksumEntry{*digest, std::move(*below)};
}

void CheckAgainstChecksums(const std::wstring& folder) {
  const std::optional<std::vector<ChecksumEntry>> entries =
      ReadChecksums(folder + L"\\" + std::wstring(kChecksumsName));
  if (!entries) {
    return;
  }
  platform::FileHasher hasher;
  for (const ChecksumEntry& entry : *entries) {
    const std::wstring file = folder + L"\\" + entry.name;
    if (hasher.Sha256Of(file) != entry.digest) {
      throw platform::NotAsShipped(file);
    }
  }
}

}  // namespace setup
