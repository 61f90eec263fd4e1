#include "common/folders.h"

#include <gmock/gmock.h>

#include "double_fixture.h"
#include "platform/failure.h"
#include "support/fails_with.h"
#include "support/test_files.h"

namespace {

using test_support::Exists;
using test_support::FailsWith;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

class FoldersTest : public DoubleTest {
 protected:
  TempFolder temp;
};

TEST_F(FoldersTest, MkDirMakesOneLevelAndAcceptsWhatExists) {
  EXPECT_TRUE(common::FU_MkDir(temp / L"new"));
  EXPECT_TRUE(test_support::IsFolder(temp / L"new"));
  EXPECT_TRUE(common::FU_MkDir(temp / L"new"));
  WriteBytes(temp / L"file", "x");
  EXPECT_TRUE(common::FU_MkDir(temp / L"file")) << "a file of that name counts as existing";
  test_support::MakeFolders(temp / L"hidden");
  test_support::MarkHidden(temp / L"hidden");
  test_support::MakeFolders(temp / L"system");
  test_support::MarkSystem(temp / L"system");
  EXPECT_TRUE(common::FU_MkDir(temp / L"hidden"));
  EXPECT_TRUE(common::FU_MkDir(temp / L"system"));
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

TEST_F(FoldersTest, MkDirUnderAMissingParentShowsTheFolderOnTheSecondLine) {
  const std::wstring folder = temp / L"missing\\child";
  EXPECT_FALSE(common::FU_MkDir(folder));
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  const auto& shown = host_double::ShownMessages()[0];
  EXPECT_EQ(shown.prompt, L"ｴﾗｰ発生(共通/FU_MkDir) 3:指定されたパスが見つかりません。\r" + folder);
  EXPECT_EQ(shown.code, 4112);
  EXPECT_EQ(shown.caption, std::nullopt);
}

TEST_F(FoldersTest, CopyFolderCopiesOnlyThePlainFilesAndOverwrites) {
  const std::wstring from = temp / L"from";
  const std::wstring to = temp / L"to";
  test_support::MakeFolders(from + L"\\sub");
  test_support::MakeFolders(to);
  WriteBytes(from + L"\\a.txt", "new");
  WriteBytes(from + L"\\sub\\deep.txt", "deep");
  WriteBytes(from + L"\\hidden.txt", "h");
  WriteBytes(from + L"\\system.txt", "s");
  test_support::MarkHidden(from + L"\\hidden.txt");
  test_support::MarkSystem(from + L"\\system.txt");
  WriteBytes(to + L"\\a.txt", "old and longer");

  EXPECT_EQ(common::FU_CopyFolder(from, to), 1u) << "the plain file only";
  EXPECT_EQ(ReadBytes(to + L"\\a.txt"), "new");
  EXPECT_FALSE(Exists(to + L"\\sub"));
  EXPECT_FALSE(Exists(to + L"\\hidden.txt"));
  EXPECT_FALSE(Exists(to + L"\\system.txt"));
}

TEST_F(FoldersTest, CopyFolderFromAMissingSourceFailsNamingItAfterMakingTheDestination) {
  EXPECT_THAT([&] { return common::FU_CopyFolder(temp / L"nothing", temp / L"made"); },
              FailsWith(3, temp / L"nothing"));
  EXPECT_TRUE(test_support::IsFolder(temp / L"made"));
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

// The report names the source only where it cannot be opened for reading.
TEST_F(FoldersTest, AFileThatCannotBeCopiedIsLeftToTheCallerNamingTheFileToLookAt) {
  test_support::MakeFolders(temp / L"from");
  WriteBytes(temp / L"from\\a.txt", "x");
  WriteBytes(temp / L"to", "a file where the folder should be");
  EXPECT_THAT([&] { return common::FU_CopyFolder(temp / L"from", temp / L"to"); },
              FailsWith(3, temp / L"to\\a.txt"));
  host_double::SetUnreadable(temp / L"from\\a.txt");
  EXPECT_THAT([&] { return common::FU_CopyFolder(temp / L"from", temp / L"made"); },
              FailsWith(5, temp / L"from\\a.txt"));
}

}  // namespace
