#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

// A character outside code page 932 must not vanish: a path with it would silently name another
// file.
TEST(TextConversionWin32, CharactersOutsideTheCodePageBecomeTheDefaultCharacter) {
  EXPECT_EQ(platform::ToAnsi(L"a\u0e01b"), "a?b");
}

}  // namespace
