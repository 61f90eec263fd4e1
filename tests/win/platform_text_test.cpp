#include <tchar.h>
#include <windows.h>

#include <type_traits>

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

// Every Windows build defines UNICODE and _UNICODE, so that a call spelled without its A or W is
// the wide one that the program's text needs; a build without them would hand such a call ANSI.
static_assert(std::is_same_v<TCHAR, wchar_t> && std::is_same_v<_TCHAR, wchar_t>);
static_assert(std::is_same_v<decltype(&::MessageBox), decltype(&::MessageBoxW)>);

// A character outside code page 932 must not vanish: a path with it would silently name another
// file.
TEST(TextConversionWin32, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
  EXPECT_EQ(platform::ToAnsi(L"a\u0e01b"), "a?b");
}

}  // namespace
