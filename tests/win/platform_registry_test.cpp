// The registry wrappers against the real registry of the Wine prefix.
#include <windows.h>

#include <array>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/registry.h"

namespace {

namespace registry = platform::registry;
using platform::ErrorCode;

constexpr char kTestRoot[] = "Software\\tessal-setup-tests";

class RegistryWin32 : public ::testing::Test {
 protected:
  void SetUp() override { RemoveTestKeys(); }
  void TearDown() override { RemoveTestKeys(); }

  static void RemoveTestKeys() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot); }
  static std::string Below(const char* name) { return std::string(kTestRoot) + "\\" + name; }
};

// Each root reaches the keys of the root it is named for, and no other: every key here exists
// below one root only. A root that stood for another, or whose handle was not sign-extended as
// HKEY values are on 64-bit Windows, would find the wrong keys or none.
TEST_F(RegistryWin32, EachRootOpensTheKeysOfItsOwnTree) {
  struct Root {
    registry::Key key;
    const char* onlyHere;
  };
  const std::array<Root, 4> roots{{
      {registry::kLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"},
      {registry::kCurrentUser, "Environment"},
      {registry::kClassesRoot, "CLSID"},
      {registry::kUsers, ".DEFAULT"},
  }};
  for (const Root& root : roots) {
    for (const Root& other : roots) {
      const registry::KeyResult opened =
          registry::OpenKey(root.key, other.onlyHere, registry::kKeyRead);
      EXPECT_EQ(opened.code, &root == &other ? ErrorCode::kSuccess : ErrorCode::kFileNotFound)
          << other.onlyHere << " below root " << std::hex << root.key;
    }
  }
}

TEST_F(RegistryWin32, ACreatedChainHoldsAStringValue) {
  const std::string path = Below("product\\1.01");
  const std::string value = "C:\\表\\data";  // stored with its NUL, as REG_SZ is
  const std::span<const char> stored(value.c_str(), value.size() + 1);

  registry::KeyResult created =
      registry::CreateKey(registry::kCurrentUser, path, registry::kKeyAllAccess);
  ASSERT_EQ(created.code, ErrorCode::kSuccess);
  EXPECT_EQ(created.disposition, static_cast<std::uint32_t>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(registry::SetValue(created.key.get(), "Path", registry::kTypeString, stored),
            ErrorCode::kSuccess);
  EXPECT_EQ(created.key.Close(), ErrorCode::kSuccess);

  created = registry::CreateKey(registry::kCurrentUser, path, registry::kKeyAllAccess);
  ASSERT_EQ(created.code, ErrorCode::kSuccess);
  EXPECT_EQ(created.disposition, static_cast<std::uint32_t>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(created.key.Close(), ErrorCode::kSuccess);

  registry::KeyResult read = registry::OpenKey(registry::kCurrentUser, path, registry::kKeyRead);
  ASSERT_EQ(read.code, ErrorCode::kSuccess);
  registry::OpenedKey opened = std::move(read.key);
  std::array<char, 64> data{};
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(registry::QueryValue(opened.get(), "Path", type, data, size), ErrorCode::kSuccess);
  EXPECT_EQ(type, registry::kTypeString);
  EXPECT_EQ(std::string(data.data(), size), std::string(stored.data(), stored.size()));

  std::array<char, 2> small{};
  EXPECT_EQ(registry::QueryValue(opened.get(), "Path", type, small, size), ErrorCode::kMoreData);
  EXPECT_EQ(size, stored.size());

  EXPECT_EQ(registry::QueryValue(opened.get(), "Missing", type, data, size),
            ErrorCode::kFileNotFound);
  EXPECT_EQ(opened.Close(), ErrorCode::kSuccess);
}

}  // namespace
