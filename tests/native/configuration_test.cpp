#include <gmock/gmock.h>

#include "double_fixture.h"
#include "machine.h"
#include "platform/failure.h"
#include "setup/configuration_readers.h"
#include "setup/configuration_rewrite.h"
#include "setup/run.h"
#include "setup/steps.h"

namespace {

using setup::Encoding;
using setup::Reader;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

constexpr char kShiftJisDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

class RewriteTest : public DoubleTest {
 protected:
  // Rewrites a file holding the bytes and gives the file's new bytes.
  std::string Rewrite(std::string_view bytes, std::wstring_view search = L"C:/TOMCAT",
                      Reader reader = Reader::kXml) {
    WriteBytes(file, bytes);
    const setup::ConfigurationFile rewrite{file, backup, reader, search, {L"", L"NEW", L""}};
    (void)setup::RewriteFile(rewrite);
    EXPECT_EQ(ReadBytes(backup), bytes) << "the backup holds the previous content";
    // What a check of the machine expects, made in memory by the same rules.
    EXPECT_EQ(setup::RewrittenBytes(bytes, rewrite), ReadBytes(file));
    return ReadBytes(file);
  }

  TempFolder temp;
  const std::wstring file = temp / L"poolman.xml";
  const std::wstring backup = temp / L"poolman.org";
};

TEST_F(RewriteTest, ReplacesWholeMatchingLinesAndEndsEveryLineWithCrLf) {
  EXPECT_EQ(Rewrite("a\r\n  x C:/TOMCAT/logs y\r\nb\r\nC:/TOMCAT\r\nlast"),
            "a\r\nNEW\r\nb\r\nNEW\r\nlast\r\n");
}

TEST_F(RewriteTest, TheSearchIsExactAndCaseSensitive) {
  EXPECT_EQ(Rewrite("c:/tomcat\r\nC:\\TOMCAT\r\n"), "c:/tomcat\r\nC:\\TOMCAT\r\n");
  EXPECT_EQ(Rewrite("C:/TOMCAT\r\nC:\\TOMCAT\r\n", L"C:\\TOMCAT"), "C:/TOMCAT\r\nNEW\r\n");
}

TEST_F(RewriteTest, UnixAndMacLineEndsKeepTheLineCount) {
  EXPECT_EQ(Rewrite("a\nC:/TOMCAT\nb\n"), "a\r\nNEW\r\nb\r\n");
  EXPECT_EQ(Rewrite("a\rC:/TOMCAT\rb"), "a\r\nNEW\r\nb\r\n");
}

TEST_F(RewriteTest, AnEmptyFileStaysEmptyAndSoDoesItsBackup) {
  EXPECT_EQ(Rewrite(""), "");
}

TEST_F(RewriteTest, AFileThatIsNotTextIsLeftAsItWasBesideItsBackup) {
  using namespace std::string_literals;
  for (const std::string& bytes : {"\xFF\xFE"
                                   "C\0:\0/\0T\0"s,
                                   "\xFE\xFF\0C"s, "C:/TOMCAT\0\r\n"s}) {
    WriteBytes(file, bytes);
    EXPECT_TRUE(
        setup::RewriteFile({file, backup, Reader::kXml, L"C:/TOMCAT", {L"", L"NEW", L""}}).notText);
    EXPECT_EQ(ReadBytes(file), bytes);
    EXPECT_EQ(ReadBytes(backup), bytes);
  }
}

TEST_F(RewriteTest, AMissingFileIsAFailureForTheCaller) {
  EXPECT_THROW(
      (void)setup::RewriteFile({file, backup, Reader::kXml, L"C:/TOMCAT", {L"", L"NEW", L""}}),
      platform::Failure);
}

// A line is searched in its file's own encoding: a multi-byte character never takes the "C" of
// the search text for its own byte, nor hides one that is there.
struct LineSearch {
  const char* name;
  Reader reader;
  std::string head;  // the file's first line
  std::string line;
  bool replaced;
};

class LineSearchTest : public RewriteTest, public ::testing::WithParamInterface<LineSearch> {};

TEST_P(LineSearchTest, FindsTheFolderAsTheReaderReadsTheLine) {
  const LineSearch& search = GetParam();
  const std::string plain = "\x95\x5c\x8e\xa6\r\n";  // 表示, with a 0x5C trail byte
  EXPECT_EQ(Rewrite(search.head + search.line + "\r\n" + plain, L"C:/TOMCAT", search.reader),
            search.head + (search.replaced ? "NEW" : search.line) + "\r\n" + plain);
}

INSTANTIATE_TEST_SUITE_P(
    Rewrite, LineSearchTest,
    ::testing::Values(
        // イ is 0x83 0x43: its trail byte is the "C".
        LineSearch{"ShiftJisTrailByte", Reader::kXml, kShiftJisDeclaration, "\x83\x43:/TOMCAT",
                   false},
        LineSearch{"ShiftJisText", Reader::kXml, kShiftJisDeclaration, "\x93\xfa\x96\x7b C:/TOMCAT",
                   true},  // 日本 C:/TOMCAT
        // The full-width colon is EF BC 9A in UTF-8; in code page 932 the 9A would take the "C".
        LineSearch{"Utf8WithoutDeclaration", Reader::kXml, "<poolman>\r\n",
                   "\xe5\x85\x88\xef\xbc\x9a"
                   "C:/TOMCAT",
                   true},
        // り in EUC-JP is A4 EA, a lead byte in code page 932.
        LineSearch{"EucJp", Reader::kXml, "<?xml version='1.0' encoding='EUC-JP'?>\r\n",
                   "\xa4\xea"
                   "C:/TOMCAT",
                   true},
        // java.util.Properties reads 0x83 as a character of its own, then the "C".
        LineSearch{"Properties", Reader::kFileHandlerPattern, "# logging\r\n",
                   "x = \x83\x43:/TOMCAT", true}),
    [](const auto& param) { return std::string(param.param.name); });

// What a file's first bytes say its encoding is.
struct Head {
  const char* name;
  std::string head;
  Encoding::Kind kind;
  const char* encoding;
};

class EncodingTest : public ::testing::TestWithParam<Head> {};

TEST_P(EncodingTest, IsTakenAsTheXmlParserTakesIt) {
  const setup::Encoding encoding = setup::EncodingOf(Reader::kXml, GetParam().head);
  EXPECT_EQ(encoding.kind, GetParam().kind);
  EXPECT_EQ(encoding.name, GetParam().encoding);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Xml, EncodingTest,
    ::testing::Values(
        Head{"Nothing", "", Encoding::Kind::kUtf8, "UTF-8"},
        Head{"NoEncodingDeclared", "<?xml version=\"1.0\"?>", Encoding::Kind::kUtf8, "UTF-8"},
        Head{"ShiftJis", "<?xml version='1.0' encoding='Shift_JIS'?>", Encoding::Kind::kShiftJis,
             "Shift_JIS"},
        Head{"OverTwoLines", "<?xml version=\"1.0\"\n  encoding = \"windows-31j\" ?>",
             Encoding::Kind::kShiftJis, "windows-31j"},
        Head{"ByteOrderMark", "\xEF\xBB\xBF<?xml version=\"1.0\"?>", Encoding::Kind::kUtf8,
             "UTF-8"},
        Head{"Latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
             Encoding::Kind::kAsciiBytes, "ISO-8859-1"},
        Head{"Utf16Declared", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
             Encoding::Kind::kUnreadable, "UTF-16"},
        Head{"Utf16Mark", "\xFF\xFE<\0?\0x\0"s, Encoding::Kind::kUnreadable, "UTF-16"},
        Head{"NotADeclaration", "<?xml-stylesheet encoding=\"Shift_JIS\"?>", Encoding::Kind::kUtf8,
             "UTF-8"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Encoding, APropertiesFileIsLatin1WhateverItHolds) {
  EXPECT_EQ(setup::EncodingOf(Reader::kFileHandlerPattern, "<?xml version=\"1.0\"?>").name,
            "ISO-8859-1");
}

// The line that names a folder, as each reader must get it back.
struct FolderLineCase {
  const char* name;
  Reader reader;
  Encoding::Kind encoding;
  std::wstring folder;
  std::string bytes;
};

class FolderLineTest : public ::testing::TestWithParam<FolderLineCase> {};

TEST_P(FolderLineTest, GivesTheReaderEveryCharacterOfTheFolder) {
  const FolderLineCase& line = GetParam();
  EXPECT_EQ(setup::EncodeLine(line.reader, {line.encoding, "any"}, {L"<a>", line.folder, L"</a>"}),
            line.bytes);
}

constexpr auto kXml = Reader::kXml;
constexpr auto kPattern = Reader::kFileHandlerPattern;
INSTANTIATE_TEST_SUITE_P(
    Rewrite, FolderLineTest,
    ::testing::Values(
        FolderLineCase{"AsciiIsAsItWas", kXml, Encoding::Kind::kShiftJis,
                       L"C:\\Program Files (x86)\\Tomcat 4.1",
                       "<a>C:\\Program Files (x86)\\Tomcat 4.1</a>"},
        FolderLineCase{"XmlMarkup", kXml, Encoding::Kind::kUtf8, L"C:\\R&D\\<4>",
                       "<a>C:\\R&amp;D\\&lt;4&gt;</a>"},
        FolderLineCase{"Utf8File", kXml, Encoding::Kind::kUtf8, L"C:\\ソフト\\髙①～",
                       "<a>C:\\\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88\\\xe9\xab\x99\xe2\x91\xa0"
                       "\xef\xbd\x9e</a>"},
        FolderLineCase{"ShiftJisFile", kXml, Encoding::Kind::kShiftJis, L"C:\\ソ表\\髙①～𠮷",
                       "<a>C:\\&#x30BD;&#x8868;\\&#x9AD9;&#x2460;&#xFF5E;&#x20BB7;</a>"},
        FolderLineCase{"OtherFile", kXml, Encoding::Kind::kAsciiBytes, L"C:\\Zürich",
                       "<a>C:\\Z&#xFC;rich</a>"},
        FolderLineCase{"Utf16FileAsBefore", kXml, Encoding::Kind::kUnreadable, L"C:\\R&D\\表",
                       "<a>C:\\R&D\\\x95\x5c</a>"},
        FolderLineCase{"Properties", kPattern, Encoding::Kind::kAsciiBytes,
                       L"C:/ソ表/100%t/R&D/𠮷/\\\\server",
                       "<a>C:/\\u30BD\\u8868/100%%t/R&D/\\uD842\\uDFB7/\\\\\\\\server</a>"},
        FolderLineCase{"PropertiesAsciiIsAsItWas", kPattern, Encoding::Kind::kAsciiBytes,
                       L"C:/Program Files/Tomcat 4.1", "<a>C:/Program Files/Tomcat 4.1</a>"}),
    [](const auto& param) { return std::string(param.param.name); });

class ConfigurationStepTest : public DoubleTest {
 protected:
  FakeMachine machine;
  setup::RunLog log;
};

// The three files as the distribution ships them: web.xml in Shift_JIS, poolman.xml in UTF-8.
TEST_F(ConfigurationStepTest, EachFileNamesTheRealFolderAsItsReaderReadsIt) {
  const std::wstring tomcat = machine.root / L"R&D ソ 100%t";
  const std::wstring webInf = tomcat + L"\\webapps\\tessal\\WEB-INF";
  machine.Put(machine.javaHome + L"\\jre\\lib", L"logging.properties",
              "java.util.logging.FileHandler.pattern = C:/TOMCAT/webapps/tessal/logs/system.log\n");
  machine.Put(webInf, L"web.xml",
              std::string(kShiftJisDeclaration) +
                  "<param-value>C:\\TOMCAT\\webapps\\tessal\\</param-value>\r\n");
  machine.Put(webInf + L"\\classes", L"poolman.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<logFile>C:/TOMCAT/webapps/tessal/logs/poolman.log</logFile>\r\n");
  const setup::RunValues run{machine.javaHome, tomcat, setup::WithSlashes(tomcat)};
  setup::ConfigurationStep(run, log);

  const std::string root = platform::ToUtf8(setup::WithSlashes(machine.root.path()));
  EXPECT_EQ(ReadBytes(machine.javaHome + L"\\jre\\lib\\logging.properties"),
            "java.util.logging.FileHandler.pattern = " + root +
                "/R&D \\u30BD 100%%t/webapps/tessal/logs/system.log\r\n");
  EXPECT_EQ(ReadBytes(webInf + L"\\web.xml"),
            std::string(kShiftJisDeclaration) + "    <param-value>" +
                platform::ToUtf8(machine.root.path()) +
                "\\R&amp;D &#x30BD; 100%t\\webapps\\tessal\\</param-value>\r\n");
  EXPECT_EQ(ReadBytes(webInf + L"\\classes\\poolman.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n    <logFile>" + root +
                "/R&amp;D \xe3\x82\xbd 100%t/webapps/tessal/logs/poolman.log</logFile>\r\n");

  // Run again, only the backups change: they now hold the rewritten files.
  const std::string rewritten = ReadBytes(webInf + L"\\web.xml");
  setup::ConfigurationStep(run, log);
  EXPECT_EQ(ReadBytes(webInf + L"\\web.xml"), rewritten);
  EXPECT_EQ(ReadBytes(webInf + L"\\web.org"), rewritten);
}

}  // namespace
