// The folder routines and the configuration rewrite on real Windows files: real attributes, real
// error codes, and the boxes of the routines answered as a user would.
#include <gmock/gmock.h>

#include "box_answerer.h"
#include "common/folders.h"
#include "setup/configuration_rewrite.h"
#include "tests/support/fails_with.h"
#include "tests/support/test_files.h"

namespace {

using test_support::Exists;
using test_support::FailsWith;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

class FolderRoutinesWin32 : public ::testing::Test {
 protected:
  TempFolder temp;
  test_support::BoxAnswerer answerer;
};

TEST_F(FolderRoutinesWin32, MkDirReportsAMissingParentWithTheFolderOnTheSecondLine) {
  EXPECT_TRUE(common::FU_MkDir(temp / L"made"));
  EXPECT_TRUE(common::FU_MkDir(temp / L"made"));
  WriteBytes(temp / L"file", "x");
  EXPECT_TRUE(common::FU_MkDir(temp / L"file"));
  test_support::MarkHidden(temp / L"made");
  EXPECT_TRUE(common::FU_MkDir(temp / L"made"));

  const std::wstring orphan = temp / L"missing\\child";
  EXPECT_FALSE(common::FU_MkDir(orphan));
  const auto boxes = answerer.Answered();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_THAT(boxes[0].text, ::testing::StartsWith(L"ｴﾗｰ発生(共通/FU_MkDir) 3:"));
  EXPECT_THAT(boxes[0].text, ::testing::EndsWith(L"\r" + orphan));
  EXPECT_EQ(boxes[0].caption, L"setup");
  EXPECT_EQ(boxes[0].code, 4112);
}

TEST_F(FolderRoutinesWin32, CopyFolderLeavesHiddenSystemAndSubFoldersBehind) {
  const std::wstring from = temp / L"from";
  test_support::MakeFolders(from + L"\\src");
  WriteBytes(from + L"\\plain.txt", "plain");
  WriteBytes(from + L"\\hidden.txt", "h");
  WriteBytes(from + L"\\system.txt", "s");
  WriteBytes(from + L"\\src\\A.java", "class A {}");
  test_support::MarkHidden(from + L"\\hidden.txt");
  test_support::MarkSystem(from + L"\\system.txt");

  EXPECT_EQ(common::FU_CopyFolder(from, temp / L"to"), 1u) << "the plain file only";
  EXPECT_EQ(ReadBytes(temp / L"to\\plain.txt"), "plain");
  EXPECT_FALSE(Exists(temp / L"to\\hidden.txt"));
  EXPECT_FALSE(Exists(temp / L"to\\system.txt"));
  EXPECT_FALSE(Exists(temp / L"to\\src"));
  EXPECT_TRUE(answerer.Answered().empty());
}

// Wine keeps read-only as Unix permissions, which hold only for a user that is not root.
TEST_F(FolderRoutinesWin32, ReadOnlySourcesGiveWritableCopiesButWhatIsInTheWayStopsTheCopy) {
  const std::wstring from = temp / L"from";
  test_support::MakeFolders(from);
  WriteBytes(from + L"\\a.txt", "new");
  test_support::MarkReadOnly(from + L"\\a.txt");
  EXPECT_EQ(common::FU_CopyFolder(from, temp / L"to"), 1u);
  EXPECT_EQ(ReadBytes(temp / L"to\\a.txt"), "new");
  EXPECT_FALSE(test_support::IsReadOnly(temp / L"to\\a.txt"));
  EXPECT_TRUE(test_support::IsReadOnly(from + L"\\a.txt"));

  test_support::MakeFolders(temp / L"read-only");
  WriteBytes(temp / L"read-only\\a.txt", "old");
  test_support::MarkReadOnly(temp / L"read-only\\a.txt");
  EXPECT_THAT([&] { return common::FU_CopyFolder(from, temp / L"read-only"); },
              FailsWith(5, temp / L"read-only\\a.txt"));
  EXPECT_EQ(ReadBytes(temp / L"read-only\\a.txt"), "old");

  test_support::MakeFolders(temp / L"blocked\\a.txt");
  EXPECT_THAT([&] { return common::FU_CopyFolder(from, temp / L"blocked"); },
              FailsWith(5, temp / L"blocked\\a.txt"));
}

TEST_F(FolderRoutinesWin32, TheRewriteKeepsTheLineCountOfUnixFilesAndTheBackupWhole) {
  const std::wstring file = temp / L"logging.properties";
  const std::string original = "a=1\njava.util.logging.FileHandler.pattern = C:/TOMCAT/x.log\nb=2";
  WriteBytes(file, original);
  (void)setup::RewriteFile({file,
                            temp / L"logging.org",
                            setup::Reader::kFileHandlerPattern,
                            L"C:/TOMCAT",
                            {L"pattern = ", L"D:/Tomcat/x.log", L""}});
  EXPECT_EQ(ReadBytes(file), "a=1\r\npattern = D:/Tomcat/x.log\r\nb=2\r\n");
  EXPECT_EQ(ReadBytes(temp / L"logging.org"), original);
}

}  // namespace
