#include <gmock/gmock.h>

#include "double_fixture.h"
#include "machine.h"
#include "platform/failure.h"
#include "setup/configuration_rewrite.h"
#include "setup/steps.h"

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

class RewriteTest : public DoubleTest {
 protected:
  // Rewrites a file holding the bytes and gives the file's new bytes.
  std::string Rewrite(std::string_view bytes, std::wstring_view search = L"C:/TOMCAT") {
    WriteBytes(file, bytes);
    setup::RewriteFile(file, backup, search, L"NEW");
    EXPECT_EQ(ReadBytes(backup), bytes) << "the backup holds the previous content";
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

TEST_F(RewriteTest, LinesWithDoubleByteCharactersPassThroughByteForByte) {
  // "イ" is 0x83 0x43: its trail byte is the "C" of the search text, which must not match there.
  const std::string tricky = "\x83\x43:/TOMCAT";
  const std::string kanji = "\x93\xfa\x96\x7b C:/TOMCAT";  // 日本 C:/TOMCAT
  const std::string plain = "\x95\x5c\x8e\xa6";            // 表示, with a 0x5C trail byte
  EXPECT_EQ(Rewrite(tricky + "\r\n" + kanji + "\r\n" + plain + "\r\n"),
            tricky + "\r\nNEW\r\n" + plain + "\r\n");
}

TEST_F(RewriteTest, AMissingFileIsAFailureForTheCaller) {
  EXPECT_THROW(setup::RewriteFile(file, backup, L"C:/TOMCAT", L"NEW"), platform::Failure);
}

class ConfigurationStepTest : public DoubleTest {
 protected:
  FakeMachine machine;
  setup::RunLog log;
};

TEST_F(ConfigurationStepTest, EachFileNamesTheRealFolderInItsOwnForm) {
  machine.PackConfigurationFiles();
  setup::RunValues run{machine.javaHome, L"C:\\アプリ\\Tomcat 4.1", L"C:/アプリ/Tomcat 4.1"};
  host_double::SetSetupFolder(machine.distribution);
  // The files are where the deployment would have put them.
  setup::DeploymentStep({machine.javaHome, machine.tomcatHome, machine.tomcatHome}, log);
  run.tomcatHome = machine.tomcatHome;
  run.tomcatHomeSlash = L"T:/slash";
  const std::string slashAnsi = "T:/slash";
  const std::string homeAnsi = platform::ToAnsi(machine.tomcatHome);
  setup::ConfigurationStep(run, log);

  const std::wstring webInf = machine.tomcatHome + L"\\webapps\\tessal\\WEB-INF";
  EXPECT_EQ(ReadBytes(machine.javaHome + L"\\jre\\lib\\logging.properties"),
            "handlers = java.util.logging.FileHandler\r\n"
            "java.util.logging.FileHandler.pattern = " +
                slashAnsi + "/webapps/tessal/logs/system.log\r\n");
  EXPECT_EQ(ReadBytes(webInf + L"\\web.xml"), "<web-app>\r\n    <param-value>" + homeAnsi +
                                                  "\\webapps\\tessal\\</param-value>\r\n"
                                                  "</web-app>\r\n");
  EXPECT_EQ(ReadBytes(webInf + L"\\classes\\poolman.xml"),
            "<poolman>\r\n    <logFile>" + slashAnsi +
                "/webapps/tessal/logs/poolman.log</logFile>\r\n</poolman>\r\n");
  EXPECT_EQ(ReadBytes(webInf + L"\\web.org"),
            ReadBytes(machine.distribution + L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\web.xml"));

  // Run again, only the backups change: they now hold the rewritten files.
  const std::string rewritten = ReadBytes(webInf + L"\\web.xml");
  setup::ConfigurationStep(run, log);
  EXPECT_EQ(ReadBytes(webInf + L"\\web.xml"), rewritten);
  EXPECT_EQ(ReadBytes(webInf + L"\\web.org"), rewritten);
}

}  // namespace
