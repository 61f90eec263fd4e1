// The registry routines over a key of the tests' own, on either half: what they read and write,
// and the warnings they show. Values are stored through FU_SetRegistry, whose bytes the writing
// cases pin down.
#include "common/registry.h"

#include <gmock/gmock.h>

#include <string>

#include "tests/support/recorded_messages.h"
#include "tests/support/test_registry.h"

namespace {

using common::FU_SetRegistry;
using common::GetRegistry;
using test_support::kScratchSubKey;
using test_support::ReadValue;
using test_support::StoredValue;
using ::testing::ElementsAre;

constexpr std::uint32_t kSz = 1;
constexpr std::uint32_t kExpandSz = 2;
constexpr std::uint32_t kDword = 4;

const std::wstring kPath = test_support::kScratchKey;
const std::wstring kCannotRead = L"レジストリキー値が取得出来ません" + kPath;
const std::wstring kNoNumber = L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870914:数値に変換できません。";
const std::string kDeep = std::string(kScratchSubKey) + "\\a\\b";

class RegistryRoutinesContract : public ::testing::Test {
 protected:
  void ExpectOneWarning(const std::wstring& text) const {
    ASSERT_EQ(messages.All().size(), 1u);
    EXPECT_EQ(messages.All()[0].text, text);
    EXPECT_EQ(messages.All()[0].code, 16);
    EXPECT_EQ(messages.All()[0].caption, L"警告");
  }

  test_support::ScratchKey key;
  test_support::RecordedMessages messages;
};

TEST_F(RegistryRoutinesContract, ReadsWhatIsStoredAndTellsAMissingKeyFromAMissingValue) {
  EXPECT_EQ(GetRegistry(kPath, L"Anything"), L"INVALID_KEY");
  EXPECT_TRUE(messages.All().empty()) << "a missing key is no failure";
  ASSERT_TRUE(FU_SetRegistry(kPath, L"", L"C:\\アプリ", 1));  // through the ANSI code page
  ASSERT_TRUE(FU_SetRegistry(kPath, L"Empty", L"", 1));
  ASSERT_TRUE(FU_SetRegistry(kPath, L"Number", L"42", 4));
  EXPECT_EQ(GetRegistry(kPath, L""), L"C:\\アプリ");
  EXPECT_EQ(GetRegistry(kPath, L"Empty"), L"");
  EXPECT_EQ(GetRegistry(kPath, L"Number"), L"*") << "the type is not looked at";
  EXPECT_EQ(GetRegistry(kPath, L"Missing"), L"ERROR");
  ExpectOneWarning(kCannotRead + L"Missing");
}

TEST_F(RegistryRoutinesContract, TheBufferHoldsFiveHundredNineBytesAndTheirNul) {
  ASSERT_TRUE(FU_SetRegistry(kPath, L"Fits", std::wstring(509, L'a'), 1));
  ASSERT_TRUE(FU_SetRegistry(kPath, L"TooLong", std::wstring(510, L'b'), 1));
  EXPECT_EQ(GetRegistry(kPath, L"Fits"), std::wstring(509, L'a'));
  EXPECT_EQ(GetRegistry(kPath, L"TooLong"), L"ERROR");
  ExpectOneWarning(kCannotRead + L"TooLong");
}

TEST_F(RegistryRoutinesContract, APathWithoutBackslashIsTrappedByBothRoutines) {
  EXPECT_EQ(GetRegistry(L"HKEY_CURRENT_USER", L"x"), L"ERROR");
  EXPECT_FALSE(FU_SetRegistry(L"HKEY_CURRENT_USER", L"x", L"1", 1));
  EXPECT_THAT(messages.Texts(),
              ElementsAre(L"ｴﾗｰ発生(共通/GetRegistry) 536870913:文字列を切り出せません。",
                          L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870913:文字列を切り出せません。"));
}

TEST_F(RegistryRoutinesContract, TextValuesGoBothWaysWholeInEveryCharacterAndTheirType) {
  const std::wstring text = L"C:\\Zürich\\𠮷;" + std::wstring(4000, L'x');
  EXPECT_TRUE(common::FU_SetRegistryText(kPath, L"Path", {text, kExpandSz}));
  EXPECT_TRUE(common::FU_SetRegistryText(kPath, L"Plain", {L"Ωmega", kSz}));
  const auto path = common::GetRegistryText(kPath, L"Path");
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->text, text);
  EXPECT_EQ(path->type, kExpandSz);
  EXPECT_EQ(common::GetRegistryText(kPath, L"Plain")->type, kSz);
  ASSERT_TRUE(FU_SetRegistry(kPath, L"Number", L"42", 4));
  EXPECT_FALSE(common::GetRegistryText(kPath, L"Number").has_value()) << "no text";
  EXPECT_FALSE(common::GetRegistryText(kPath + L"\\none", L"Path").has_value());
  EXPECT_THAT(messages.Texts(), ElementsAre(kCannotRead + L"Number"));
}

// Text as ANSI with one NUL, REG_MULTI_SZ too; a number as four little-endian bytes.
TEST_F(RegistryRoutinesContract, WritesTextNumbersAndExpandableTextAndCreatesTheChain) {
  const std::wstring deep = kPath + L"\\a\\b";
  EXPECT_TRUE(FU_SetRegistry(deep, L"Sz", L"C:\\アプリ", 1));
  EXPECT_TRUE(FU_SetRegistry(deep, L"Multi", L"a", 7));
  EXPECT_TRUE(FU_SetRegistry(deep, L"Expand", L"%SystemRoot%\\system32", 2));
  EXPECT_TRUE(FU_SetRegistry(deep, L"Answer", L"42", 4));
  EXPECT_TRUE(FU_SetRegistry(deep, L"Negative", L"-1", 4));
  EXPECT_TRUE(test_support::KeyExists(std::string(kScratchSubKey) + "\\a"));
  EXPECT_EQ(ReadValue(kDeep, "Sz"),
            (StoredValue{kSz, std::string("C:\\\x83\x41\x83\x76\x83\x8A\0", 10)}));
  EXPECT_EQ(ReadValue(kDeep, "Multi")->bytes, std::string("a\0", 2));
  EXPECT_EQ(ReadValue(kDeep, "Expand"),
            (StoredValue{kExpandSz, std::string("%SystemRoot%\\system32\0", 22)}));
  EXPECT_EQ(ReadValue(kDeep, "Answer"), (StoredValue{kDword, std::string("\x2a\0\0\0", 4)}));
  EXPECT_EQ(ReadValue(kDeep, "Negative")->bytes, "\xff\xff\xff\xff");
  EXPECT_TRUE(messages.All().empty());
}

TEST_F(RegistryRoutinesContract, ATextThatIsNoNumberIsTrappedAndWritesNothing) {
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Answer", L"x", 4));
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Answer", L"99999999999", 4));
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Answer", L"+-5", 4));
  EXPECT_FALSE(ReadValue(kScratchSubKey, "Answer"));
  EXPECT_THAT(messages.Texts(),
              ElementsAre(kNoNumber + L"x", kNoNumber + L"99999999999", kNoNumber + L"+-5"));
}

TEST_F(RegistryRoutinesContract, AnUnsupportedTypeIsReportedNotPassedOffAsWritten) {
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Binary", L"data", 3));
  ExpectOneWarning(L"レジストリに書き込めません" + kPath + L"Binary" + L"data");
  EXPECT_FALSE(ReadValue(kScratchSubKey, "Binary"));
  EXPECT_TRUE(test_support::KeyExists(kScratchSubKey)) << "the created key stays";
}

}  // namespace
