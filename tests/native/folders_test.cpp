// FU_CopyFolder where only the double can show it. The rest runs on both halves, in
// tests/contract/folder_routines_test.cpp.
#include "common/folders.h"

#include <gmock/gmock.h>

#include "double_fixture.h"
#include "support/fails_with.h"
#include "support/test_files.h"

namespace {

using test_support::FailsWith;

class FoldersTest : public DoubleTest {
 protected:
  test_support::TempFolder temp;
};

// The report names the source only where it cannot be opened for reading.
TEST_F(FoldersTest, AFileThatCannotBeReadIsLeftToTheCallerNamingTheSource) {
  test_support::MakeFolders(temp / L"from");
  test_support::WriteBytes(temp / L"from\\a.txt", "x");
  host_double::SetUnreadable(temp / L"from\\a.txt");
  EXPECT_THAT([&] { return common::FU_CopyFolder(temp / L"from", temp / L"made"); },
              FailsWith(5, temp / L"from\\a.txt"));
}

}  // namespace
