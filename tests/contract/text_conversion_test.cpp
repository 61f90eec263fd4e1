// Conversion between the program's UTF-16 and the ANSI code page 932, and into UTF-8, on either
// platform.
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

using platform::FromAnsi;
using platform::ToAnsi;

TEST(TextConversionContract, JapaneseTakesCodePage932Bytes) {
  EXPECT_EQ(ToAnsi(L"日本語"), "\x93\xfa\x96\x7b\x8c\xea");
  EXPECT_EQ(ToAnsi(L"表"), "\x95\x5c");  // a trail byte that reads as "\"
  EXPECT_EQ(ToAnsi(L"ｱ"), "\xb1");       // half-width katakana take one byte
  EXPECT_EQ(FromAnsi("\x93\xfa\x96\x7b\x8c\xea"), L"日本語");
  EXPECT_EQ(FromAnsi("\x95\x5c"), L"表");
}

TEST(TextConversionContract, AsciiAndEmptyTextsPassUnchanged) {
  const std::wstring path = L"C:\\Program Files\\tessal\\data 1.ini";
  EXPECT_EQ(ToAnsi(path), "C:\\Program Files\\tessal\\data 1.ini");
  EXPECT_EQ(FromAnsi(ToAnsi(path)), path);
  EXPECT_EQ(ToAnsi(L""), "");
  EXPECT_EQ(FromAnsi(""), L"");
}

TEST(TextConversionContract, LongTextsRoundTrip) {
  std::wstring text;
  for (int i = 0; i < 100000; ++i) {
    text += L"表示A";
  }
  const std::string bytes = ToAnsi(text);
  EXPECT_EQ(bytes.size(), 500000u);
  EXPECT_EQ(FromAnsi(bytes), text);
}

TEST(TextConversionContract, Utf8KeepsWhatTheCodePageCannotHold) {
  EXPECT_EQ(platform::ToUtf8(L"C:\\配布"), "C:\\\xe9\x85\x8d\xe5\xb8\x83");
  // Outside the BMP, a surrogate pair in UTF-16: one character of four bytes, not two of three.
  EXPECT_EQ(platform::ToUtf8(L"\U00020BB7野家"), "\xf0\xa0\xae\xb7\xe9\x87\x8e\xe5\xae\xb6");
  EXPECT_EQ(platform::ToUtf8(L""), "");
}

}  // namespace
