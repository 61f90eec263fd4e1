// Code page 932 on the host, through iconv, so that byte counts are those of a Japanese Windows;
// UTF-8, as Windows makes it and as the host names its files, through iconv too; and the upper
// case of Windows' ordinal comparisons and of its file name patterns, through the C library's
// UTF-8 locale.
#include <fnmatch.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string>

#include "platform/host/double_state.h"
#include "platform/text.h"

namespace platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error("iconv cannot convert between code page 932 and wchar_t");
    }
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of input; a unit that does not convert is replaced and skipped, as Windows
  // replaces what a code page cannot hold instead of failing.
  template <typename Out, typename In>
  Out Convert(const In* input, std::size_t count, std::size_t skip, const Out& replacement) {
    Out output;
    // glibc declares iconv's input as char**, though it never writes through it.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast)
    char* in = const_cast<char*>(reinterpret_cast<const char*>(input));
    std::size_t inLeft = count * sizeof(In);
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    typename Out::value_type chunk[1024];
    while (inLeft > 0) {
      char* out = reinterpret_cast<char*>(chunk);
      std::size_t outLeft = sizeof(chunk);
      const std::size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
      output.append(chunk, static_cast<std::size_t>(out - reinterpret_cast<char*>(chunk)) /
                               sizeof(typename Out::value_type));
      if (result == static_cast<std::size_t>(-1) && (errno == EILSEQ || errno == EINVAL)) {
        output += replacement;
        const std::size_t step = inLeft < skip ? inLeft : skip;
        in += step;
        inLeft -= step;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return output;
  }

 private:
  iconv_t handle_;
};

// The C library's C.UTF-8 maps each character to its simple upper case, one character to one, as
// the table behind Windows' ordinal comparisons does; the plain C locale folds ASCII only.
class Utf8Locale {
 public:
  Utf8Locale() : locale_(::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {
    if (locale_ == static_cast<locale_t>(nullptr)) {
      throw std::runtime_error("the C library has no C.UTF-8 locale");
    }
  }
  ~Utf8Locale() { ::freelocale(locale_); }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

  [[nodiscard]] wchar_t Upper(wchar_t c) const {
    return static_cast<wchar_t>(::towupper_l(static_cast<wint_t>(c), locale_));
  }
  [[nodiscard]] locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

const Utf8Locale& TheUtf8Locale() {
  thread_local const Utf8Locale locale;
  return locale;
}

}  // namespace

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
  const Utf8Locale& locale = TheUtf8Locale();
  const auto same = [&locale](wchar_t a, wchar_t b) { return locale.Upper(a) == locale.Upper(b); };
  return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

std::string ToAnsi(std::wstring_view text) {
  thread_local Converter converter("CP932", "WCHAR_T");
  return converter.Convert<std::string>(text.data(), text.size(), sizeof(wchar_t),
                                        std::string("?"));
}

std::string ToUtf8(std::wstring_view text) {
  thread_local Converter converter("UTF-8", "WCHAR_T");
  return converter.Convert<std::string>(text.data(), text.size(), sizeof(wchar_t),
                                        std::string("\xEF\xBF\xBD"));
}

std::wstring FromAnsi(std::string_view bytes) {
  thread_local Converter converter("WCHAR_T", "CP932");
  return converter.Convert<std::wstring>(bytes.data(), bytes.size(), 1, std::wstring(L"\uFFFD"));
}

// The double's system code page is Shift_JIS, the only one it needs to know.
std::wstring FromCodePage(std::uint32_t codePage, std::string_view bytes) {
  if (codePage != kCodePageShiftJis) {
    throw std::invalid_argument("the double knows code page 932 only");
  }
  return FromAnsi(bytes);
}

}  // namespace platform

namespace host_double::detail {

std::wstring FromHostName(std::string_view hostName) {
  thread_local platform::Converter converter("WCHAR_T", "UTF-8");
  return converter.Convert<std::wstring>(hostName.data(), hostName.size(), 1,
                                         std::wstring(L"\uFFFD"));
}

// fnmatch in the UTF-8 locale takes "?" for one character, not one byte, and folds case as
// ContainsIgnoringCase does. Windows has no character classes, so "[" stands for itself.
bool MatchesPattern(std::wstring_view pattern, const std::string& hostName) {
  if (pattern == L"*.*") {
    return true;
  }
  std::string literal;
  for (const char c : platform::ToUtf8(pattern)) {
    if (c == '[') {
      literal += '\\';
    }
    literal += c;
  }
  const locale_t previous = ::uselocale(platform::TheUtf8Locale().get());
  const bool matches = ::fnmatch(literal.c_str(), hostName.c_str(), FNM_CASEFOLD) == 0;
  ::uselocale(previous);
  return matches;
}

}  // namespace host_double::detail
