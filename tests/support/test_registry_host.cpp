// The scratch key in the double's in-memory registry.
#include <gtest/gtest.h>

#include "platform/host/double_control.h"
#include "tests/support/test_registry.h"

namespace test_support {

ScratchKey::ScratchKey() {
  host_double::Reset();
}

ScratchKey::~ScratchKey() {
  EXPECT_EQ(host_double::OpenKeyCount(), 0) << "a key was left open";
}

std::optional<StoredValue> ReadValue(const std::string& subKey, const std::string& name) {
  const auto stored = host_double::GetValue(platform::registry::kCurrentUser, subKey, name);
  return stored ? std::optional<StoredValue>({stored->type, stored->bytes}) : std::nullopt;
}

bool KeyExists(const std::string& subKey) {
  return host_double::KeyExists(platform::registry::kCurrentUser, subKey);
}

}  // namespace test_support
