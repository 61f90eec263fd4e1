// A key that the double refuses to make, which only the double can refuse on demand: the owner the
// failed call hands back holds nothing.
#include <gtest/gtest.h>

#include "double_fixture.h"
#include "platform/registry.h"

namespace {

namespace registry = platform::registry;
using platform::ErrorCode;

TEST_F(DoubleTest, AFailedCreateOwnsNoKey) {
  host_double::Fail(host_double::Call::kRegistryCreate, 5);
  const registry::KeyResult refused =
      registry::CreateKey(registry::kCurrentUser, "Refused", registry::kKeyAllAccess);
  EXPECT_EQ(refused.code, ErrorCode::kAccessDenied);
  EXPECT_EQ(refused.key.get(), 0u);
  EXPECT_EQ(host_double::OpenKeyCount(), 0);
}

}  // namespace
