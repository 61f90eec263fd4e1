#include "setup/configuration_readers.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "platform/text.h"

namespace setup {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Lower(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

// The encoding that an XML declaration at the file's start names, if it names one.
std::optional<std::string> DeclaredEncoding(std::string_view head) {
  constexpr std::string_view kDeclaration = "<?xml";
  if (!head.starts_with(kDeclaration) || head.size() == kDeclaration.size() ||
      !IsXmlSpace(head[kDeclaration.size()])) {
    return std::nullopt;
  }
  const std::string_view declaration = head.substr(0, head.find("?>"));
  auto at = declaration.find("encoding");
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  at += std::string_view("encoding").size();
  const auto skipSpaces = [&] {
    while (at < declaration.size() && IsXmlSpace(declaration[at])) {
      ++at;
    }
  };
  skipSpaces();
  if (at >= declaration.size() || declaration[at] != '=') {
    return std::nullopt;
  }
  ++at;
  skipSpaces();
  if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) {
    return std::nullopt;
  }
  const auto end = declaration.find(declaration[at], at + 1);
  if (end == std::string_view::npos) {
    return std::nullopt;
  }
  return std::string(declaration.substr(at + 1, end - at - 1));
}

Encoding::Kind KindOf(std::string_view name) {
  const std::string lower = Lower(name);
  if (lower == "utf-8" || lower == "utf8") {
    return Encoding::Kind::kUtf8;
  }
  // The names that Java and the IANA registry give Shift_JIS and Windows' code page 932.
  constexpr std::array<std::string_view, 10> kShiftJis{
      "shift_jis",  "shift-jis",   "sjis",         "x-sjis", "ms_kanji",
      "csshiftjis", "windows-31j", "cswindows31j", "ms932",  "cp932"};
  if (std::find(kShiftJis.begin(), kShiftJis.end(), lower) != kShiftJis.end()) {
    return Encoding::Kind::kShiftJis;
  }
  for (const std::string_view wide :
       {"utf-16", "utf-32", "ucs-2", "ucs-4", "iso-10646-ucs", "unicode"}) {
    if (lower.starts_with(wide)) {
      return Encoding::Kind::kUnreadable;
    }
  }
  return Encoding::Kind::kAsciiBytes;
}

std::uint32_t CodeUnit(wchar_t c) {
  return static_cast<std::make_unsigned_t<wchar_t>>(c);
}

// The code points of a text: UTF-16 on Windows, UTF-32 on the host. A lone half of a surrogate
// pair stays what it is.
template <typename Visit>
void ForEachCodePoint(std::wstring_view text, const Visit& visit) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = CodeUnit(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      const std::uint32_t low = CodeUnit(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    visit(c);
  }
}

std::string Hex(std::uint32_t value, std::size_t minimumDigits) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  if (digits.size() < minimumDigits) {
    digits.insert(0, minimumDigits - digits.size(), '0');
  }
  return digits;
}

std::wstring XmlEscaped(std::wstring_view text) {
  std::wstring escaped;
  for (const wchar_t c : text) {
    switch (c) {
      case L'&':
        escaped += L"&amp;";
        break;
      case L'<':
        escaped += L"&lt;";
        break;
      case L'>':
        escaped += L"&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// ASCII, with every other character as a reference to its code point. A lone half of a surrogate
// pair is no XML character at all and is written as the replacement character.
std::string WithCharacterReferences(std::wstring_view text) {
  std::string ascii;
  ForEachCodePoint(text, [&](std::uint32_t c) {
    if (c < 0x80) {
      ascii += static_cast<char>(c);
    } else {
      ascii += "&#x" + Hex(c >= 0xD800 && c < 0xE000 ? 0xFFFD : c, 1) + ";";
    }
  });
  return ascii;
}

// A java.util.logging.FileHandler pattern takes "%" as the start of its own codes ("%t" is the
// temporary folder); "%%" is a "%".
std::wstring PatternEscaped(std::wstring_view text) {
  std::wstring escaped;
  for (const wchar_t c : text) {
    escaped += c;
    if (c == L'%') {
      escaped += L'%';
    }
  }
  return escaped;
}

// A properties value as java.util.Properties reads it back: ASCII, "\" escaping itself, every
// other character a \uXXXX escape of its UTF-16 units.
std::string PropertiesEscaped(std::wstring_view text) {
  std::string ascii;
  const auto unit = [&](std::uint32_t u) { ascii += "\\u" + Hex(u, 4); };
  ForEachCodePoint(text, [&](std::uint32_t c) {
    if (c == '\\') {
      ascii += "\\\\";
    } else if (c < 0x80) {
      ascii += static_cast<char>(c);
    } else if (c < 0x10000) {
      unit(c);
    } else {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  });
  return ascii;
}

}  // namespace

Encoding EncodingOf(Reader reader, std::string_view head) {
  if (reader == Reader::kFileHandlerPattern) {
    return {Encoding::Kind::kAsciiBytes, "ISO-8859-1"};
  }
  if (head.starts_with(kUtf8Mark)) {
    return {Encoding::Kind::kUtf8, "UTF-8"};
  }
  using namespace std::string_view_literals;
  if (head.starts_with("\xFF\xFE\0\0"sv) || head.starts_with("\0\0\xFE\xFF"sv)) {
    return {Encoding::Kind::kUnreadable, "UTF-32"};
  }
  // A byte order mark, or the "<" of a declaration, in UTF-16 of either byte order.
  if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF") || head.starts_with("<\0"sv) ||
      head.starts_with("\0<"sv)) {
    return {Encoding::Kind::kUnreadable, "UTF-16"};
  }
  if (const auto declared = DeclaredEncoding(head)) {
    return {KindOf(*declared), *declared};
  }
  return {Encoding::Kind::kUtf8, "UTF-8"};
}

std::string EncodeLine(Reader reader, const Encoding& encoding, const FolderLine& line) {
  const auto joined = [&](std::wstring_view value) {
    return std::wstring(line.before) + std::wstring(value) + std::wstring(line.after);
  };
  if (encoding.kind == Encoding::Kind::kUnreadable) {
    return platform::ToAnsi(joined(line.value));
  }
  if (reader == Reader::kFileHandlerPattern) {
    return PropertiesEscaped(joined(PatternEscaped(line.value)));
  }
  const std::wstring text = joined(XmlEscaped(line.value));
  return encoding.kind == Encoding::Kind::kUtf8 ? platform::ToUtf8(text)
                                                : WithCharacterReferences(text);
}

}  // namespace setup
