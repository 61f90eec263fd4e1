// FU_MkDir and FU_CopyFolder on either half's files: real attributes, the Win32 numbers of their
// failures, and the message that FU_MkDir shows.
#include "common/folders.h"

#include <gmock/gmock.h>

#include "platform/failure.h"
#include "tests/support/fails_with.h"
#include "tests/support/recorded_messages.h"
#include "tests/support/test_files.h"

namespace {

using common::FU_CopyFolder;
using common::FU_MkDir;
using test_support::Exists;
using test_support::FailsWith;
using test_support::IsFolder;
using test_support::IsReadOnly;
using test_support::MakeFolders;
using test_support::ReadBytes;
using test_support::WriteBytes;

class FolderRoutinesContract : public ::testing::Test {
 protected:
  test_support::TempFolder temp;
  test_support::RecordedMessages messages;
};

TEST_F(FolderRoutinesContract, MkDirMakesOneLevelAndAcceptsWhatExists) {
  EXPECT_TRUE(FU_MkDir(temp / L"new"));
  EXPECT_TRUE(IsFolder(temp / L"new"));
  EXPECT_TRUE(FU_MkDir(temp / L"new"));
  WriteBytes(temp / L"file", "x");
  EXPECT_TRUE(FU_MkDir(temp / L"file")) << "a file of that name counts as existing";
  test_support::MarkHidden(temp / L"new");
  MakeFolders(temp / L"system");
  test_support::MarkSystem(temp / L"system");
  EXPECT_TRUE(FU_MkDir(temp / L"new"));
  EXPECT_TRUE(FU_MkDir(temp / L"system"));
  EXPECT_TRUE(messages.All().empty());
}

TEST_F(FolderRoutinesContract, MkDirUnderAMissingParentShowsTheFolderOnTheSecondLine) {
  const std::wstring folder = temp / L"missing\\child";
  EXPECT_FALSE(FU_MkDir(folder));
  const auto& shown = messages.All();
  ASSERT_EQ(shown.size(), 1u);
  // The description is the system's own, which Wine words otherwise than Windows.
  EXPECT_EQ(shown[0].text,
            L"ｴﾗｰ発生(共通/FU_MkDir) 3:" +
                platform::SystemFailure(platform::ErrorCode::kPathNotFound).description() + L"\r" +
                folder);
  EXPECT_EQ(shown[0].code, 4112);
  EXPECT_EQ(shown[0].caption, std::nullopt) << "the application's title";
}

TEST_F(FolderRoutinesContract, CopyFolderCopiesOnlyThePlainFilesAndOverwrites) {
  const std::wstring from = temp / L"from";
  const std::wstring to = temp / L"to";
  MakeFolders(from + L"\\sub");
  MakeFolders(to);
  WriteBytes(from + L"\\a.txt", "new");
  WriteBytes(from + L"\\sub\\deep.txt", "deep");
  WriteBytes(from + L"\\hidden.txt", "h");
  WriteBytes(from + L"\\system.txt", "s");
  test_support::MarkHidden(from + L"\\hidden.txt");
  test_support::MarkSystem(from + L"\\system.txt");
  WriteBytes(to + L"\\a.txt", "old and longer");

  EXPECT_EQ(FU_CopyFolder(from, to), 1u) << "the plain file only";
  EXPECT_EQ(ReadBytes(to + L"\\a.txt"), "new");
  EXPECT_FALSE(Exists(to + L"\\sub"));
  EXPECT_FALSE(Exists(to + L"\\hidden.txt"));
  EXPECT_FALSE(Exists(to + L"\\system.txt"));
  EXPECT_TRUE(messages.All().empty());
}

TEST_F(FolderRoutinesContract, CopyFolderFromAMissingSourceFailsNamingItAfterMakingTheDestination) {
  EXPECT_THAT([&] { return FU_CopyFolder(temp / L"nothing", temp / L"made"); },
              FailsWith(3, temp / L"nothing"));
  EXPECT_TRUE(IsFolder(temp / L"made"));
  EXPECT_TRUE(messages.All().empty());
}

// The report names the source only where it cannot be opened for reading; the double alone can
// make a file unreadable, so that case is in tests/native/folders_test.cpp.
TEST_F(FolderRoutinesContract, AFileThatCannotBeCopiedIsLeftToTheCallerNamingTheFileToLookAt) {
  MakeFolders(temp / L"from");
  WriteBytes(temp / L"from\\a.txt", "x");
  WriteBytes(temp / L"to", "a file where the folder should be");
  EXPECT_THAT([&] { return FU_CopyFolder(temp / L"from", temp / L"to"); },
              FailsWith(3, temp / L"to\\a.txt"));
}

// Under Wine, read-only is kept as Unix permissions, which hold only for a user that is not root.
TEST_F(FolderRoutinesContract, ReadOnlySourcesGiveWritableCopiesButWhatIsInTheWayStopsTheCopy) {
  const std::wstring from = temp / L"from";
  MakeFolders(from);
  WriteBytes(from + L"\\a.txt", "new");
  test_support::MarkReadOnly(from + L"\\a.txt");
  EXPECT_EQ(FU_CopyFolder(from, temp / L"to"), 1u);
  EXPECT_EQ(ReadBytes(temp / L"to\\a.txt"), "new");
  EXPECT_FALSE(IsReadOnly(temp / L"to\\a.txt"));
  EXPECT_TRUE(IsReadOnly(from + L"\\a.txt"));

  MakeFolders(temp / L"read-only");
  WriteBytes(temp / L"read-only\\a.txt", "old");
  test_support::MarkReadOnly(temp / L"read-only\\a.txt");
  EXPECT_THAT([&] { return FU_CopyFolder(from, temp / L"read-only"); },
              FailsWith(5, temp / L"read-only\\a.txt"));
  EXPECT_EQ(ReadBytes(temp / L"read-only\\a.txt"), "old");

  MakeFolders(temp / L"blocked\\a.txt");
  EXPECT_THAT([&] { return FU_CopyFolder(from, temp / L"blocked"); },
              FailsWith(5, temp / L"blocked\\a.txt"));
}

}  // namespace
