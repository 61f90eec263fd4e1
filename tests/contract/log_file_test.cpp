// The file a log is appended to, on either platform.
#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/files.h"
#include "tests/support/test_files.h"

namespace {

using platform::LogFile;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

TEST(LogFileContract, AppendsTheBytesAsTheyAreToANewOrAnExistingFile) {
  const TempFolder folder;
  const std::wstring path = folder / L"setup.log";
  {
    LogFile log(path);
    EXPECT_TRUE(log.StartedEmpty());
    log.Append("first\r\n");
    EXPECT_EQ(ReadBytes(path), "first\r\n") << "written straight through";
  }
  LogFile again(path);
  EXPECT_FALSE(again.StartedEmpty());
  again.Append("\xef\xbb\xbfsecond");
  EXPECT_EQ(ReadBytes(path), "first\r\n\xef\xbb\xbfsecond");
}

// A second copy of the program, started with the same log while the first runs, ends at once; its
// lines must join the first's, not overwrite them.
TEST(LogFileContract, TwoOwnersOfOneFileBothAppend) {
  const TempFolder folder;
  const std::wstring path = folder / L"setup.log";
  WriteBytes(path, "old\n");
  LogFile first(path);
  first.Append("a1\n");
  LogFile second(path);
  second.Append("b1\n");
  first.Append("a2\n");
  EXPECT_EQ(ReadBytes(path), "old\na1\nb1\na2\n");
}

TEST(LogFileContract, AFileInAMissingFolderIsAFailureOfItsOwn) {
  const TempFolder folder;
  try {
    LogFile log(folder / L"missing\\setup.log");
    FAIL() << "opened";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.number(), 3u);
  }
}

}  // namespace
