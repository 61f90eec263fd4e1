#include "app/command_line.h"

#include <gmock/gmock.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using app::CommandLineArguments;
using app::ReadOptions;
using Words = std::vector<std::wstring>;

// --- Splitting ---------------------------------------------------------------------------------

struct Split {
  const wchar_t* line;
  Words arguments;
  bool quiet = false;  // as the whole line reads: /quiet or /q a word anywhere after the name
};

void PrintTo(const Split& split, std::ostream* out) {
  for (const wchar_t* c = split.line; *c != L'\0'; ++c) {
    *out << (*c < 0x80 ? static_cast<char>(*c) : '?');
  }
}

class CommandLineSplit : public ::testing::TestWithParam<Split> {};

TEST_P(CommandLineSplit, GivesTheArgumentsTheCRuntimeGivesAndFindsQuietAnywhere) {
  EXPECT_EQ(CommandLineArguments(GetParam().line), GetParam().arguments);
  EXPECT_EQ(app::ReadCommandLine(GetParam().line).quiet, GetParam().quiet);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramName, CommandLineSplit,
    ::testing::Values(Split{L"", {}}, Split{L"setup.exe", {}}, Split{L"setup.exe   \t", {}},
                      Split{L"\"C:\\Program Files\\dist\\setup.exe\" /q", {L"/q"}, true},
                      // Quotes in the middle of the name, and a backslash before one of them,
                      // are no escapes in the program's name.
                      Split{L"C:\\\"Program Files\"\\setup.exe /q", {L"/q"}, true},
                      Split{L"\"C:\\dist\\\"setup.exe /q", {L"/q"}, true},
                      // The name ends at the first blank outside quotes, not at a quote.
                      Split{L"\"C:\\配布 1\\setup.exe\"/q", {}}));

INSTANTIATE_TEST_SUITE_P(
    Quoting, CommandLineSplit,
    ::testing::Values(Split{L"setup.exe /log C:\\setup.log", {L"/log", L"C:\\setup.log"}},
                      Split{L"setup.exe \t/quiet\t\t/log  x ", {L"/quiet", L"/log", L"x"}, true},
                      Split{L"setup.exe /log \"C:\\Windows\\Temp\\tessal setup.log\"",
                            {L"/log", L"C:\\Windows\\Temp\\tessal setup.log"}},
                      Split{L"setup.exe /log \"C:\\ログ\\セットアップ 記録.log\"",
                            {L"/log", L"C:\\ログ\\セットアップ 記録.log"}},
                      // Unlike in the program's name, a backslash escapes the quote after it.
                      Split{L"setup.exe /log C:\\\"Program Files\"\\x.log",
                            {L"/log", L"C:\"Program", L"Files\\x.log"}},
                      Split{L"setup.exe \"\" /q", {L"", L"/q"}, true},
                      Split{L"setup.exe \"unterminated arg", {L"unterminated arg"}}));

INSTANTIATE_TEST_SUITE_P(
    Backslashes, CommandLineSplit,
    ::testing::Values(Split{L"setup.exe C:\\a\\\\b\\", {L"C:\\a\\\\b\\"}},
                      // Before a quote: pairs halve, an odd one escapes the quote.
                      Split{L"setup.exe \"C:\\logs\\\\\" x", {L"C:\\logs\\", L"x"}},
                      Split{L"setup.exe \"C:\\logs\\\" x\"", {L"C:\\logs\" x"}},
                      Split{L"setup.exe a\\\\\\\"b", {L"a\\\"b"}},
                      Split{L"setup.exe \"a\"\"b\" c", {L"a\"b", L"c"}}));

// A quoted folder that ends in "\" escapes its closing quote: the rest of the line joins the file
// name, and a quiet switch there still keeps every box off the screen.
INSTANTIATE_TEST_SUITE_P(
    SwallowedSwitches, CommandLineSplit,
    ::testing::Values(
        Split{L"setup.exe /log \"C:\\logs\\\" /quiet", {L"/log", L"C:\\logs\" /quiet"}, true},
        Split{L"setup.exe /log \"C:\\logs\\\" -Q /log x", {L"/log", L"C:\\logs\" -Q /log x"}, true},
        Split{L"setup.exe /log \"C:\\logs\\\" \"/q\"", {L"/log", L"C:\\logs\" /q"}, true},
        Split{L"setup.exe /log \"C:\\logs\\\" /quieter x/q", {L"/log", L"C:\\logs\" /quieter x/q"}},
        // The program's name is a path, never a switch.
        Split{L"\"C:\\dist -q\\setup.exe\" /log a.log", {L"/log", L"a.log"}}));

// --- Switches ----------------------------------------------------------------------------------

struct Read {
  Words arguments;
  bool quiet = false;
  std::optional<std::wstring> logFile;
  std::optional<std::wstring> mistake;
  bool verify = false;
};

void PrintTo(const Read& read, std::ostream* out) {
  for (const std::wstring& argument : read.arguments) {
    *out << '[';
    for (const wchar_t c : argument) {
      *out << (c < 0x80 ? static_cast<char>(c) : '?');
    }
    *out << ']';
  }
}

class Switches : public ::testing::TestWithParam<Read> {};

TEST_P(Switches, AreReadAsAsked) {
  const app::Options options = ReadOptions(GetParam().arguments);
  EXPECT_EQ(options.quiet, GetParam().quiet);
  EXPECT_EQ(options.logFile, GetParam().logFile);
  EXPECT_EQ(options.mistake, GetParam().mistake);
  EXPECT_EQ(options.verify, GetParam().verify);
}

INSTANTIATE_TEST_SUITE_P(
    Meaningful, Switches,
    ::testing::Values(Read{{}, false, {}, {}}, Read{{L"/quiet"}, true, {}, {}},
                      Read{{L"/q"}, true, {}, {}}, Read{{L"-Q"}, true, {}, {}},
                      Read{{L"-QuIeT"}, true, {}, {}}, Read{{L"/q", L"/quiet"}, true, {}, {}},
                      Read{{L"/LOG", L"C:\\a.log"}, false, L"C:\\a.log", {}},
                      Read{{L"-log", L"C:\\ログ\\a.log", L"/q"}, true, L"C:\\ログ\\a.log", {}},
                      Read{{L"/q", L"/Log", L"quiet"}, true, L"quiet", {}},
                      Read{{L"-VERIFY", L"/q", L"/log", L"a.log"}, true, L"a.log", {}, true}));

INSTANTIATE_TEST_SUITE_P(
    Meaningless, Switches,
    ::testing::Values(Read{{L"/qiet"}, false, {}, L"/qiet"}, Read{{L"quiet"}, false, {}, L"quiet"},
                      Read{{L"/"}, false, {}, L"/"}, Read{{L""}, false, {}, L""},
                      Read{{L"/quiet", L"extra"}, true, {}, L"extra"},
                      Read{{L"/verify", L"/verfy"}, false, {}, L"/verfy", true},
                      // The file name left out, at the end or before another switch.
                      Read{{L"/log"}, false, {}, L"/log"},
                      Read{{L"/log", L"/quiet"}, true, {}, L"/log"},
                      Read{{L"/log", L"-q"}, true, {}, L"/log"},
                      Read{{L"/log", L""}, false, {}, L"/log"},
                      // Two logs: the first is kept for the usage line.
                      Read{{L"/log", L"a.log", L"/log", L"b.log"}, false, L"a.log", L"/log"},
                      // No file name holds a quote: this one swallowed the rest of the line.
                      Read{{L"/log", L"C:\\logs\" /quiet"}, false, {}, L"C:\\logs\" /quiet"},
                      Read{{L"/log", L"C:\\a\"b", L"/log", L"b.log"}, false, L"b.log", L"C:\\a\"b"},
                      // After the first mistake the rest is still read.
                      Read{{L"/x", L"/y", L"/log", L"a.log", L"/q"}, true, L"a.log", L"/x"}));

TEST(UsageMessage, NamesTheArgumentThatMeantNothing) {
  const std::wstring text = app::UsageMessage(L"/qiet");
  EXPECT_THAT(text, ::testing::StartsWith(L"引数「/qiet」が正しくありません。\r"));
  EXPECT_THAT(text, ::testing::HasSubstr(L"setup.exe [/verify] [/quiet] [/log ファイル名]"));
}

}  // namespace
