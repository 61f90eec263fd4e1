// GetRegistry and FU_SetRegistry against the real registry of the Wine prefix, their boxes
// answered as a user would.
#include <windows.h>

#include <gmock/gmock.h>

#include <string>

#include "box_answerer.h"
#include "common/registry.h"

namespace {

using common::FU_SetRegistry;
using common::GetRegistry;

constexpr char kSubKey[] = "Software\\tessal-setup-routines";
constexpr wchar_t kPath[] = L"HKEY_CURRENT_USER\\Software\\tessal-setup-routines";

class RegistryRoutinesWin32 : public ::testing::Test {
 protected:
  RegistryRoutinesWin32() { ::RegDeleteTreeA(HKEY_CURRENT_USER, kSubKey); }
  ~RegistryRoutinesWin32() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kSubKey); }

  static void Store(const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
  }
  static void StoreString(const char* name, const std::string& text) {
    Store(name, REG_SZ, std::string(text.c_str(), text.size() + 1));
  }
  // The value as Windows holds it: its type and its data.
  static std::pair<DWORD, std::string> Read(const char* subKey, const char* name) {
    char data[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(data);
    if (::RegGetValueA(HKEY_CURRENT_USER, subKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                       &size) != ERROR_SUCCESS) {
      return {REG_NONE, "<missing>"};
    }
    return {type, std::string(data, size)};
  }
  std::vector<std::wstring> Texts() {
    std::vector<std::wstring> texts;
    for (const auto& box : answerer.Answered()) {
      texts.push_back(box.text);
    }
    return texts;
  }

  test_support::BoxAnswerer answerer;
};

TEST_F(RegistryRoutinesWin32, ReadsWhatIsStoredAndTellsAMissingKeyFromAMissingValue) {
  EXPECT_EQ(GetRegistry(kPath, L"Anything"), L"INVALID_KEY");
  StoreString("Empty", "");
  StoreString("", "C:\\Tomcat 4.1");
  Store("Number", REG_DWORD, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(GetRegistry(kPath, L"Empty"), L"");
  EXPECT_EQ(GetRegistry(kPath, L""), L"C:\\Tomcat 4.1");
  EXPECT_EQ(GetRegistry(kPath, L"Number"), L"*") << "the type is not looked at";
  EXPECT_EQ(GetRegistry(kPath, L"Missing"), L"ERROR");
  EXPECT_THAT(Texts(), ::testing::ElementsAre(std::wstring(L"レジストリキー値が取得出来ません") +
                                              kPath + L"Missing"));
  EXPECT_EQ(answerer.Answered()[0].caption, L"警告");
  EXPECT_EQ(answerer.Answered()[0].code, 16);
}

TEST_F(RegistryRoutinesWin32, ReadsFiveHundredNineBytesAndRefusesFiveHundredTen) {
  StoreString("Fits", std::string(509, 'a'));
  StoreString("TooLong", std::string(510, 'b'));
  EXPECT_EQ(GetRegistry(kPath, L"Fits"), std::wstring(509, L'a'));
  EXPECT_EQ(GetRegistry(kPath, L"TooLong"), L"ERROR");
  EXPECT_THAT(Texts(), ::testing::ElementsAre(std::wstring(L"レジストリキー値が取得出来ません") +
                                              kPath + L"TooLong"));
}

TEST_F(RegistryRoutinesWin32, TextValuesGoBothWaysWholeInEveryCharacterAndTheirType) {
  const std::wstring text = L"C:\\Zürich\\𠮷;" + std::wstring(4000, L'x');
  EXPECT_TRUE(common::FU_SetRegistryText(kPath, L"Path", {text, REG_EXPAND_SZ}));
  EXPECT_TRUE(common::FU_SetRegistryText(kPath, L"Plain", {L"Ωmega", REG_SZ}));
  const auto path = common::GetRegistryText(kPath, L"Path");
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->text, text);
  EXPECT_EQ(path->type, DWORD{REG_EXPAND_SZ});
  EXPECT_EQ(common::GetRegistryText(kPath, L"Plain")->type, DWORD{REG_SZ});
  Store("Number", REG_DWORD, std::string("\x2a\0\0\0", 4));
  EXPECT_FALSE(common::GetRegistryText(kPath, L"Number").has_value()) << "no text";
  EXPECT_FALSE(common::GetRegistryText(kPath + std::wstring(L"\\none"), L"Path").has_value());
  EXPECT_THAT(Texts(), ::testing::ElementsAre(std::wstring(L"レジストリキー値が取得出来ません") +
                                              kPath + L"Number"));
}

TEST_F(RegistryRoutinesWin32, WritesTextNumbersAndExpandableTextAndCreatesTheChain) {
  const std::wstring deep = std::wstring(kPath) + L"\\a\\b";
  const std::string deepKey = std::string(kSubKey) + "\\a\\b";
  EXPECT_TRUE(FU_SetRegistry(deep, L"Sz", L"C:\\アプリ", 1));
  EXPECT_TRUE(FU_SetRegistry(deep, L"Dword", L"42", 4));
  EXPECT_TRUE(FU_SetRegistry(deep, L"Path", L"%SystemRoot%\\system32", 2));
  EXPECT_EQ(Read(deepKey.c_str(), "Sz"),
            std::make_pair(DWORD{REG_SZ}, std::string("C:\\\x83\x41\x83\x76\x83\x8a\0", 10)));
  EXPECT_EQ(Read(deepKey.c_str(), "Dword"),
            std::make_pair(DWORD{REG_DWORD}, std::string("\x2a\0\0\0", 4)));
  EXPECT_EQ(Read(deepKey.c_str(), "Path"),
            std::make_pair(DWORD{REG_EXPAND_SZ}, std::string("%SystemRoot%\\system32\0", 22)));
  EXPECT_TRUE(Texts().empty());
}

TEST_F(RegistryRoutinesWin32, AnUnsupportedTypeOrANonNumberWritesNothingAndSaysSo) {
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Binary", L"data", 3));
  EXPECT_FALSE(FU_SetRegistry(kPath, L"Dword", L"x", 4));
  EXPECT_EQ(Read(kSubKey, "Binary").second, "<missing>");
  EXPECT_EQ(Read(kSubKey, "Dword").second, "<missing>");
  EXPECT_THAT(Texts(), ::testing::ElementsAre(
                           std::wstring(L"レジストリに書き込めません") + kPath + L"Binarydata",
                           L"ｴﾗｰ発生(共通/FU_SetRegistry) 536870914:数値に変換できません。x"));
}

}  // namespace
