// Making folders and copying files, on either platform, with the Win32 failure numbers that the
// setup reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/fails_with.h"
#include "tests/support/test_files.h"

namespace {

using test_support::FailsWith;
using test_support::IsReadOnly;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kAlreadyExists = 183;

TEST(MakeFolderContract, MakesOneLevel) {
  const TempFolder folder;
  platform::MakeFolder(folder / L"データ");
  EXPECT_TRUE(test_support::IsFolder(folder / L"データ"));
}

TEST(MakeFolderContract, NeedsTheParent) {
  const TempFolder folder;
  EXPECT_THAT([&] { platform::MakeFolder(folder / L"a\\b"); },
              FailsWith(kPathNotFound, folder / L"a\\b"));
  EXPECT_FALSE(test_support::Exists(folder / L"a"));
}

TEST(MakeFolderContract, NeedsAFreeName) {
  const TempFolder folder;
  test_support::MakeFolders(folder / L"taken");
  WriteBytes(folder / L"file", "f");
  EXPECT_THAT([&] { platform::MakeFolder(folder / L"taken"); }, FailsWith(kAlreadyExists));
  EXPECT_THAT([&] { platform::MakeFolder(folder / L"file"); }, FailsWith(kAlreadyExists));
}

TEST(CopyFileContract, CreatesOrOverwritesTheDestination) {
  const TempFolder folder;
  WriteBytes(folder / L"source", "new\r\n");
  WriteBytes(folder / L"old", "old content, longer than the new\r\n");

  platform::CopyFileOverwriting(folder / L"source", folder / L"old");
  platform::CopyFileOverwriting(folder / L"source", folder / L"コピー");

  EXPECT_EQ(ReadBytes(folder / L"old"), "new\r\n");
  EXPECT_EQ(ReadBytes(folder / L"コピー"), "new\r\n");
  EXPECT_EQ(ReadBytes(folder / L"source"), "new\r\n");
}

TEST(CopyFileContract, AMissingSourceLeavesTheDestinationAlone) {
  const TempFolder folder;
  WriteBytes(folder / L"destination", "kept");
  EXPECT_THAT([&] { platform::CopyFileOverwriting(folder / L"missing", folder / L"destination"); },
              FailsWith(kFileNotFound, folder / L"missing"));
  EXPECT_EQ(ReadBytes(folder / L"destination"), "kept");
}

// A distribution on a CD or a read-only share, or one whose files are marked read-only: what the
// run deploys must still be rewritten by it and overwritten by the next run.
TEST(CopyFileContract, ACopyIsWritableWhateverTheSourceAndTheSourceStaysAsItWas) {
  const TempFolder folder;
  WriteBytes(folder / L"packaged", "v1");
  test_support::MarkReadOnly(folder / L"packaged");
  WriteBytes(folder / L"hidden", "h");
  test_support::MarkHidden(folder / L"hidden");

  platform::CopyFileOverwriting(folder / L"packaged", folder / L"deployed");
  EXPECT_FALSE(IsReadOnly(folder / L"deployed"));
  platform::CopyFileOverwriting(folder / L"packaged", folder / L"deployed");
  EXPECT_EQ(ReadBytes(folder / L"deployed"), "v1");
  EXPECT_TRUE(IsReadOnly(folder / L"packaged"));

  platform::CopyFileOverwriting(folder / L"hidden", folder / L"hidden copy");
  platform::DirectoryListing listing(folder / L"hidden copy",
                                     platform::ListingAttributes::kPlainFiles);
  EXPECT_EQ(listing.Next(), L"") << "the copy is hidden as its source is";
}

TEST(CopyFileContract, AReadOnlyDestinationIsRefusedAndKept) {
  const TempFolder folder;
  WriteBytes(folder / L"source", "new");
  WriteBytes(folder / L"destination", "kept");
  test_support::MarkReadOnly(folder / L"destination");
  EXPECT_THAT([&] { platform::CopyFileOverwriting(folder / L"source", folder / L"destination"); },
              FailsWith(kAccessDenied, folder / L"destination"));
  EXPECT_EQ(ReadBytes(folder / L"destination"), "kept");
  EXPECT_TRUE(IsReadOnly(folder / L"destination"));
}

}  // namespace
