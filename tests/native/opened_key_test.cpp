// The owner of an opened key, handed from owner to owner, against the double's registry, which
// counts the keys left open and refuses to close a key twice.
#include <utility>

#include <gtest/gtest.h>

#include "double_fixture.h"
#include "platform/registry.h"

namespace {

namespace registry = platform::registry;
using platform::ErrorCode;

registry::OpenedKey OpenEnvironment() {
  host_double::PutKey(registry::kCurrentUser, "Environment");
  registry::KeyResult opened =
      registry::OpenKey(registry::kCurrentUser, "Environment", registry::kKeyRead);
  EXPECT_EQ(opened.code, ErrorCode::kSuccess);
  return std::move(opened.key);
}

TEST_F(DoubleTest, AMovedKeyIsClosedOnceByItsLastOwner) {
  registry::OpenedKey first = OpenEnvironment();
  const registry::Key key = first.get();
  registry::OpenedKey second(std::move(first));
  EXPECT_EQ(first.get(), 0u);
  EXPECT_EQ(second.get(), key);
  EXPECT_EQ(first.Close(), ErrorCode::kSuccess) << "the moved-from owner closes nothing";
  EXPECT_EQ(host_double::OpenKeyCount(), 1);
  EXPECT_EQ(second.Close(), ErrorCode::kSuccess) << "a key closed twice answers kInvalidHandle";
  EXPECT_EQ(host_double::OpenKeyCount(), 0);
}

TEST_F(DoubleTest, AnOwnerGivenAnotherKeyClosesItsOwn) {
  registry::OpenedKey owner = OpenEnvironment();
  const registry::Key replaced = owner.get();
  owner = OpenEnvironment();
  EXPECT_EQ(host_double::OpenKeyCount(), 1);
  EXPECT_NE(owner.get(), replaced);
  EXPECT_EQ(registry::CloseKey(replaced), ErrorCode::kInvalidHandle) << "closed when replaced";
  { const registry::OpenedKey last(std::move(owner)); }
  EXPECT_EQ(host_double::OpenKeyCount(), 0) << "closed when its last owner went";
}

// A failed open leaves nothing to close, so that a caller may keep the owner whatever the code.
TEST_F(DoubleTest, AFailedOpenOwnsNoKey) {
  const registry::KeyResult missing =
      registry::OpenKey(registry::kCurrentUser, "Missing", registry::kKeyRead);
  EXPECT_EQ(missing.code, ErrorCode::kFileNotFound);
  EXPECT_EQ(missing.key.get(), 0u);
  host_double::Fail(host_double::Call::kRegistryCreate, 5);
  const registry::KeyResult refused =
      registry::CreateKey(registry::kCurrentUser, "Refused", registry::kKeyAllAccess);
  EXPECT_EQ(refused.code, ErrorCode::kAccessDenied);
  EXPECT_EQ(refused.key.get(), 0u);
  EXPECT_EQ(host_double::OpenKeyCount(), 0);
}

}  // namespace
