// What a listing yields, on either platform: the setup finds the files it copies through it, which
// leaves hidden and system files behind, and tests through it whether a name exists at all.
#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/fails_with.h"
#include "tests/support/test_files.h"

namespace {

using platform::DirectoryListing;
using platform::ListingAttributes;
using test_support::TempFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::wstring> ListAll(const std::wstring& pattern, ListingAttributes attributes) {
  DirectoryListing listing(pattern, attributes);
  std::vector<std::wstring> names;
  for (std::wstring name = listing.Next(); !name.empty(); name = listing.Next()) {
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class DirectoryListingContract : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::WriteBytes(folder_ / L"plain.txt", "p");
    // In code page 932 the second byte of 表 is "\", which must not split the name.
    test_support::WriteBytes(folder_ / L"表.ini", "j");
    test_support::WriteBytes(folder_ / L"hidden.txt", "h");
    test_support::MarkHidden(folder_ / L"hidden.txt");
    test_support::WriteBytes(folder_ / L"system.txt", "s");
    test_support::MarkSystem(folder_ / L"system.txt");
    test_support::MakeFolders(folder_ / L"sub");
    test_support::MakeFolders(folder_ / L"hidden-sub");
    test_support::MarkHidden(folder_ / L"hidden-sub");
  }

  TempFolder folder_;
};

TEST_F(DirectoryListingContract, PlainFilesLeaveOutHiddenSystemAndFolders) {
  EXPECT_THAT(ListAll(folder_ / L"*.*", ListingAttributes::kPlainFiles),
              ElementsAre(L"plain.txt", L"表.ini"));
}

TEST_F(DirectoryListingContract, EveryNameAddsFoldersAndHiddenAndSystemEntries) {
  EXPECT_THAT(
      ListAll(folder_ / L"*.*", ListingAttributes::kEveryName),
      ElementsAre(L"hidden-sub", L"hidden.txt", L"plain.txt", L"sub", L"system.txt", L"表.ini"));
}

TEST_F(DirectoryListingContract, ANameFindsItselfWhateverItsAttributes) {
  for (const wchar_t* name : {L"sub", L"表.ini", L"hidden.txt", L"system.txt", L"hidden-sub"}) {
    EXPECT_THAT(ListAll(folder_ / name, ListingAttributes::kEveryName), ElementsAre(name));
  }
  EXPECT_THAT(ListAll(folder_ / L"none.txt", ListingAttributes::kEveryName), IsEmpty());
  EXPECT_THAT(ListAll(folder_ / L"sub", ListingAttributes::kPlainFiles), IsEmpty());
  EXPECT_THAT(ListAll(folder_ / L"hidden.txt", ListingAttributes::kPlainFiles), IsEmpty());
}

// The deployment tests names with a listing of the name itself, as a Windows user spells it.
TEST_F(DirectoryListingContract, ANameMatchesWithoutRegardToCaseAndHasNoCharacterClasses) {
  test_support::WriteBytes(folder_ / L"ärger.txt", "a");
  test_support::WriteBytes(folder_ / L"a[1].txt", "b");
  test_support::WriteBytes(folder_ / L"a1.txt", "c");
  EXPECT_THAT(ListAll(folder_ / L"PLAIN.TXT", ListingAttributes::kPlainFiles),
              ElementsAre(L"plain.txt"));
  EXPECT_THAT(ListAll(folder_ / L"ÄRGER.TXT", ListingAttributes::kPlainFiles),
              ElementsAre(L"ärger.txt"));
  EXPECT_THAT(ListAll(folder_ / L"a[1].txt", ListingAttributes::kPlainFiles),
              ElementsAre(L"a[1].txt"));
  // "?" stands for one character, however many bytes the host names it with.
  EXPECT_THAT(ListAll(folder_ / L"?.INI", ListingAttributes::kPlainFiles), ElementsAre(L"表.ini"));
}

// A copy must not take a folder that is not there for an empty one.
TEST_F(DirectoryListingContract, AMissingFolderFailsNamingIt) {
  EXPECT_THAT([&] { ListAll(folder_ / L"missing\\*.*", ListingAttributes::kEveryName); },
              test_support::FailsWith(3, folder_ / L"missing"));
}

}  // namespace
