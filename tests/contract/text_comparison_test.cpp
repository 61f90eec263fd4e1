// Texts that name folders compare, on either platform, as Windows compares file names: a Path
// that holds the JDK's folder in another letter case holds it, whatever the script of its name.
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

struct Case {
  std::wstring text;
  std::wstring part;
  bool contained;
};

class ContainsIgnoringCaseContract : public ::testing::TestWithParam<Case> {};

TEST_P(ContainsIgnoringCaseContract, ComparesAsFileNamesCompare) {
  const Case& c = GetParam();
  EXPECT_EQ(platform::ContainsIgnoringCase(c.text, c.part), c.contained);
}

INSTANTIATE_TEST_SUITE_P(EveryLetterWindowsFolds, ContainsIgnoringCaseContract,
                         ::testing::Values(Case{L"a;C:\\J2SDK\\BIN;b", L"c:\\j2sdk\\bin", true},
                                           Case{L"C:\\Ärger\\bin", L"c:\\ärger\\BIN", true},
                                           Case{L"D:\\Ωμέγα\\bin", L"d:\\ωΜΈΓΑ\\BIN", true},
                                           Case{L"C:\\Программы\\jdk\\bin",
                                                L"c:\\ПРОГРАММЫ\\JDK\\bin", true},
                                           Case{L"Ｃ:\\ｊｄｋ", L"ｃ:\\ＪＤＫ", true},
                                           Case{L"C:\\j2sdk\\bin2", L"C:\\j2sdk\\bin", true}));

// Ordinal: no letter stands for another that merely looks or sorts alike.
INSTANTIATE_TEST_SUITE_P(NothingElse, ContainsIgnoringCaseContract,
                         ::testing::Values(Case{L"C:\\jdk", L"Ｃ:\\jdk", false},
                                           Case{L"C:\\Cafe\\bin", L"c:\\café\\bin", false},
                                           Case{L"C:\\j2sdk\\bin", L"C:\\j2sdk/bin", false},
                                           Case{L"C:\\j2sdk", L"C:\\j2sdk\\bin", false},
                                           Case{L"", L"C:\\j2sdk\\bin", false}));

}  // namespace
