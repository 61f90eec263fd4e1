// The owner of an opened key, handed from owner to owner, on either half's registry: the key is
// closed once, by its last owner, and a call that failed leaves nothing to close.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/test_registry.h"

namespace {

namespace registry = platform::registry;
using platform::ErrorCode;

class OpenedKeyContract : public ::testing::Test {
 protected:
  static std::string Below(const std::string& name) {
    return std::string(test_support::kScratchSubKey) + "\\" + name;
  }
  static registry::OpenedKey Made(const std::string& name) {
    registry::KeyResult made =
        registry::CreateKey(registry::kCurrentUser, Below(name), registry::kKeyAllAccess);
    EXPECT_EQ(made.code, ErrorCode::kSuccess);
    return std::move(made.key);
  }

  test_support::ScratchKey scratch;
};

// A moved-from owner that still closed the key would leave the new owner a dead handle, and an
// owner that took another key without closing its own would leak it.
TEST_F(OpenedKeyContract, AKeyMovedBetweenOwnersIsClosedOnceByTheLast) {
  registry::OpenedKey first = Made("first");
  const registry::Key replaced = first.get();
  registry::OpenedKey owner(std::move(first));
  EXPECT_EQ(first.get(), 0u);  // NOLINT(bugprone-use-after-move): what a move leaves is the point
  EXPECT_EQ(first.Close(), ErrorCode::kSuccess) << "the moved-from owner holds nothing";
  EXPECT_EQ(owner.get(), replaced);

  owner = Made("second");
  EXPECT_EQ(registry::CloseKey(replaced), ErrorCode::kInvalidHandle) << "closed when replaced";
  const registry::Key last = owner.get();
  { const registry::OpenedKey scoped(std::move(owner)); }
  EXPECT_EQ(registry::CloseKey(last), ErrorCode::kInvalidHandle) << "closed by its last owner";
}

// So that a caller may keep the owner whatever the code.
TEST_F(OpenedKeyContract, AFailedOpenOwnsNoKey) {
  const registry::KeyResult missing =
      registry::OpenKey(registry::kCurrentUser, Below("missing"), registry::kKeyRead);
  EXPECT_EQ(missing.code, ErrorCode::kFileNotFound);
  EXPECT_EQ(missing.key.get(), 0u);
}

}  // namespace
