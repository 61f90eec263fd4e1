#include <gtest/gtest.h>

#include "platform/win32/dll_search.h"

namespace {

// Wine, like every Windows from 8 on, narrows the search to the system folder. Anything less here
// means the lookup of SetDefaultDllDirectories or its flags went wrong, and the program would
// quietly fall back to a search that still takes DLLs from its own folder.
TEST(DllSearchWin32, IsNarrowedToTheSystemFolder) {
  EXPECT_EQ(platform::win32::RestrictDllSearch(), platform::win32::DllSearch::kSystemFolderOnly);
}

}  // namespace
