// The rewrite of a configuration file on either half's files: what it writes and the backup it
// keeps.
#include "setup/configuration_rewrite.h"

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace {

using test_support::ReadBytes;

TEST(ConfigurationRewriteContract, KeepsTheLineCountOfUnixFilesAndTheBackupWhole) {
  const test_support::TempFolder temp;
  const std::wstring file = temp / L"logging.properties";
  const std::string original = "a=1\njava.util.logging.FileHandler.pattern = C:/TOMCAT/x.log\nb=2";
  test_support::WriteBytes(file, original);
  (void)setup::RewriteFile({file,
                            temp / L"logging.org",
                            setup::Reader::kFileHandlerPattern,
                            L"C:/TOMCAT",
                            {L"pattern = ", L"D:/Tomcat/x.log", L""}});
  EXPECT_EQ(ReadBytes(file), "a=1\r\npattern = D:/Tomcat/x.log\r\nb=2\r\n");
  EXPECT_EQ(ReadBytes(temp / L"logging.org"), original);
}

}  // namespace
