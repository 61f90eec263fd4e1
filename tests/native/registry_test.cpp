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
  static void ExpectOneWarning(const std::wstring& text) {
    ASSERT_EQ(host_double::ShownMessages().size(), 1u);
    const auto& shown = host_double::ShownMessages().front();
    EXPECT_EQ(shown.prompt, text);
    EXPECT_EQ(shown.code, 16);
    EXPECT_EQ(shown.caption, L"警告");
  }
  void TearDown() override { EXPECT_EQ(host_double::OpenKeyCount(), 0) << "a key was left open"; }
};

TEST_F(RegistryTest, AMissingKeyIsInvalidKeyWithoutAMessage) {
  EXPECT_EQ(GetRegistry(kPath, L"Name"), L"INVALID_KEY");
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

TEST_F(RegistryTest, AMissingValueIsReportedAndGivesError) {
  host_double::PutKey(kLocalMachine, kSubKey);
  EXPECT_EQ(GetRegistry(kPath, L"Name"), L"ERROR");
  ExpectOneWarning(std::wstring(L"レジストリキー値が取得出来ません") + kPath + L"Name");
}

TEST_F(RegistryTest, ReadsTextThroughTheCodePage) {
  host_double::PutString(kLocalMachine, kSubKey, "", "C:\\\x83\x41\x83\x76\x83\x8A");  // アプリ
  host_double::PutString(kLocalMachine, kSubKey, "Empty", "");
  EXPECT_EQ(GetRegistry(kPath, L""), L"C:\\アプリ");
  EXPECT_EQ(GetRegistry(kPath, L"Empty"), L"");
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

TEST_F(RegistryTest, TheBufferHoldsFiveHundredNineBytesAndTheirNul) {
  host_double::PutString(kLocalMachine, kSubKey, "Fits", std::string(509, 'a'));
  host_double::PutString(kLocalMachine, kSubKey, "TooLong", std::string(510, 'b'));
  EXPECT_EQ(GetRegistry(kPath, L"Fits"), std::wstring(509, L'a'));
  EXPECT_EQ(GetRegistry(kPath, L"TooLong"), L"ERROR");
  ExpectOneWarning(std::wstring(L"レジストリキー値が取得出来ません") + kPath + L"TooLong");
}

TEST_F(RegistryTest, AValueWithoutNulCannotBeCutAndIsTrapped) {
  host_double::PutValue(kLocalMachine, kSubKey, "Raw", 1, std::string(510, 'c'));
  EXPECT_EQ(GetRegistry(kPath, L"Raw"), L"ERROR");
  ExpectOneWarning(L"ｴﾗｰ発生(共通/GetRegistry) 536870913:文字列を切り出せません。");
}

TEST_F(RegistryTest, AShortValueWithoutNulMeetsTheSpacesOfTheBufferAndIsTrapped) {
  host_double::PutValue(kLocalMachine, kSubKey, "Raw", 1, "abc");
  EXPECT_EQ(GetRegistry(kPath, L"Raw"), L"ERROR");
  EXPECT_EQ(host_double::ShownMessages().size(), 1u);
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

TEST_F(RegistryTest, APathWithoutBackslashIsTrappedByBothRoutines) {
  EXPECT_EQ(GetRegistry(L"HKEY_LOCAL_MACHINE", L"x"), L"ERROR");
  EXPECT_FALSE(FU_SetRegistry(L"HKEY_LOCAL_MACHINE", L"x", L"1", 1));
  EXPECT_THAT(Prompts(),
              ElementsAre(L"ｴﾗｰ発生(共通/GetRegistry) 536870913:文字列を切り出せません。",
                          L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870913:文字列を切り出せません。"));
}

TEST_F(RegistryTest, WritesTextAsAnsiWithOneNul) {
  EXPECT_TRUE(FU_SetRegistry(kPath, L"Sz", L"C:\\アプリ", 1));
  EXPECT_TRUE(FU_SetRegistry(kPath, L"Multi", L"a", 7));
  EXPECT_TRUE(FU_SetRegistry(kPath, L"Expand", L"%SystemRoot%\\system32", 2));
  const auto sz = host_double::GetValue(kLocalMachine, kSubKey, "Sz");
  ASSERT_TRUE(sz);
  EXPECT_EQ(sz->type, 1u);
  EXPECT_EQ(sz->bytes, std::string("C:\\\x83\x41\x83\x76\x83\x8A\0", 10));
  EXPECT_EQ(host_double::GetValue(kLocalMachine, kSubKey, "Multi")->bytes, std::string("a\0", 2));
  const auto expand = host_double::GetValue(kLocalMachine, kSubKey, "Expand");
  EXPECT_EQ(expand->type, 2u);
  EXPECT_EQ(expand->bytes, std::string("%SystemRoot%\\system32\0", 22));
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

TEST_F(RegistryTest, CreatesTheWholeMissingChainOfKeys) {
  EXPECT_TRUE(FU_SetRegistry(L"HKEY_CURRENT_USER\\A\\B\\C", L"v", L"x", 1));
  EXPECT_TRUE(host_double::KeyExists(platform::registry::kCurrentUser, "A"));
  EXPECT_TRUE(host_double::KeyExists(platform::registry::kCurrentUser, "A\\B"));
  EXPECT_TRUE(host_double::GetValue(platform::registry::kCurrentUser, "A\\B\\C", "v"));
}

TEST_F(RegistryTest, WritesANumberAsFourLittleEndianBytes) {
  EXPECT_TRUE(FU_SetRegistry(kPath, L"Answer", L"42", 4));
  EXPECT_TRUE(FU_SetRegistry(kPath, L"Negative", L"-1", 4));
  const auto answer = host_double::GetValue(kLocalMachine, kSubKey, "Answer");
  EXPECT_EQ(answer->type, 4u);
  EXPECT_EQ(answer->bytes, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(host_double::GetValue(kLocalMachine, kSubKey, "Negative")->bytes, "\xff\xff\xff\xff");
}

TEST_F(RegistryTest, ATextThatIsNoNumberIsTrappedAndWritesNothing) {
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Answer", L"x", 4));
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Answer", L"99999999999", 4));
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Answer", L"+-5", 4));
  EXPECT_FALSE(host_double::GetValue(kLocalMachine, kSubKey, "Answer"));
  EXPECT_THAT(
      Prompts(),
      ElementsAre(L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870914:数値に変換できません。x",
                  L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870914:数値に変換できません。99999999999",
                  L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870914:数値に変換できません。+-5"));
}

TEST_F(RegistryTest, AnUnsupportedTypeIsReportedNotPassedOffAsWritten) {
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Binary", L"data", 3));
  ExpectOneWarning(std::wstring(L"レジストリに書き込めません") + kPath + L"Binary" + L"data");
  EXPECT_FALSE(host_double::GetValue(kLocalMachine, kSubKey, "Binary"));
  EXPECT_TRUE(host_double::KeyExists(kLocalMachine, kSubKey)) << "the created key stays";
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
