// Code page 932 on the host, through iconv, so that byte counts are those of a Japanese Windows;
// and UTF-8, as Windows makes it.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <string>

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

}  // namespace

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

}  // namespace platform
