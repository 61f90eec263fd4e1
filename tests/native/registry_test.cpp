// The registry routines where only the double can show it: calls that fail, the access each key
// is asked for, and that nothing reaches the registry. The rest runs on both halves, in
// tests/contract/registry_routines_test.cpp.
#include "common/registry.h"

#include <gmock/gmock.h>

#include "double_fixture.h"
#include "platform/registry.h"

namespace {

using common::FU_SetRegistry;
using common::GetRegistry;
using host_double::Call;
using platform::registry::kLocalMachine;
using ::testing::ElementsAre;

constexpr wchar_t kPath[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tests\\Key";
constexpr char kSubKey[] = "SOFTWARE\\Tests\\Key";

class RegistryTest : public DoubleTest {
 protected:
  void TearDown() override { EXPECT_EQ(host_double::OpenKeyCount(), 0) << "a key was left open"; }
};

// Only the double hands a text value over without its NUL: Wine adds one where the buffer has room,
// and refuses a value that fills it.
TEST_F(RegistryTest, AValueWithoutNulCannotBeCutAndIsTrapped) {
  host_double::PutValue(kLocalMachine, kSubKey, "Raw", 1, std::string(510, 'c'));
  EXPECT_EQ(GetRegistry(kPath, L"Raw"), L"ERROR");
  host_double::PutValue(kLocalMachine, kSubKey, "Short", 1, "abc");
  EXPECT_EQ(GetRegistry(kPath, L"Short"), L"ERROR") << "the spaces of the buffer hold no NUL";
  const auto& shown = host_double::ShownMessages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].prompt, L"ｴﾗｰ発生(共通/GetRegistry) 536870913:文字列を切り出せません。");
  EXPECT_EQ(shown[0].code, 16);
  EXPECT_EQ(shown[0].caption, L"警告");
}

TEST_F(RegistryTest, OpenAndCloseFailuresAreReported) {
  host_double::PutString(kLocalMachine, kSubKey, "Name", "value");
  host_double::Fail(Call::kRegistryOpen, 5);
  EXPECT_EQ(GetRegistry(kPath, L"Name"), L"ERROR");
  host_double::Fail(Call::kRegistryClose, 6);
  EXPECT_EQ(GetRegistry(kPath, L"Name"), L"ERROR");
  EXPECT_THAT(Prompts(),
              ElementsAre(std::wstring(L"レジストリキーがオープン出来ません") + kPath + L"Name",
                          std::wstring(L"レジストリがクローズ出来ません") + kPath + L"Name"));
}

// Windows grants what is asked for: a read that asked for more would fail for a user allowed only
// to read, a write that asked for less would be refused at its first write.
TEST_F(RegistryTest, ReadsAskForKeyReadAndWritesForKeyAllAccess) {
  host_double::PutString(kLocalMachine, kSubKey, "Name", "value");
  EXPECT_EQ(GetRegistry(kPath, L"Name"), L"value");
  EXPECT_TRUE(FU_SetRegistry(kPath, L"Name", L"new", 1));
  EXPECT_THAT(host_double::KeyRequests(),
              ElementsAre(host_double::KeyRequest{Call::kRegistryOpen, kSubKey, 0x20019},
                          host_double::KeyRequest{Call::kRegistryCreate, kSubKey, 0xF003F}));
}

TEST_F(RegistryTest, RootNamesCompareExactly) {
  EXPECT_EQ(GetRegistry(L"hkey_local_machine\\SOFTWARE", L"x"), L"ERROR");
  EXPECT_FALSE(FU_SetRegistry(L"HKLM\\SOFTWARE\\x", L"x", L"1", 1));
  EXPECT_THAT(Prompts(), ElementsAre(L"ハンドル値が間違っています hkey_local_machine",
                                     L"ハンドル値が間違っています HKLM"));
  EXPECT_EQ(host_double::RegistryWriteCount(), 0);
}

TEST_F(RegistryTest, FailedCreateOrWriteIsReportedWithPathNameAndValue) {
  host_double::Fail(Call::kRegistryCreate, 5);
  EXPECT_FALSE(FU_SetRegistry(kPath, L"A", L"1", 1));
  host_double::Fail(Call::kRegistrySet, 5);
  EXPECT_FALSE(FU_SetRegistry(kPath, L"B", L"2", 1));
  EXPECT_THAT(Prompts(), ElementsAre(std::wstring(L"レジストリに書き込めません") + kPath + L"A1",
                                     std::wstring(L"レジストリに書き込めません") + kPath + L"B2"));
}

}  // namespace
