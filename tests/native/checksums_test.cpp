#include "setup/checksums.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

const std::string kDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

TEST(ReadChecksumLine, TakesSha256sumsLinesInTextOrBinaryMode) {
  const auto entry = setup::ReadChecksumLine(kDigest + "  TOMCAT/conf/server.xml");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->digest[0], 0xba);
  EXPECT_EQ(entry->digest[31], 0xad);
  EXPECT_EQ(entry->name, L"TOMCAT\\conf\\server.xml");
  EXPECT_EQ(
      setup::ReadChecksumLine("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"
                              " *./xls/\xE8\xA1\xA8.xls")
          ->name,
      L"xls\\表.xls");
}

// Nothing that could name a file outside the distribution, or another file than the line says.
TEST(ReadChecksumLine, RefusesAnyOtherForm) {
  for (const std::string& line :
       {""s, kDigest, kDigest + "  ", kDigest + " a", kDigest + "\ta", kDigest.substr(1) + "  a",
        "\\" + kDigest + "  a\\\\b", "g" + kDigest.substr(1) + "  a", kDigest + "  /a",
        kDigest + "  a//b", kDigest + "  ../a", kDigest + "  J2SE/../../a", kDigest + "  a\\b",
        kDigest + "  C:a", kDigest + "  a\0b"s, kDigest + "  ./", kDigest + "  \xE8\xA1",
        kDigest + "  \xC0\xAF", kDigest + "  \xED\xA0\x80"}) {
    EXPECT_FALSE(setup::ReadChecksumLine(line)) << line;
  }
}

}  // namespace
