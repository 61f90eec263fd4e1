#include "setup/run_log.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "double_fixture.h"
#include "log_events.h"
#include "machine.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "setup/run.h"
#include "support/test_files.h"

namespace {

using host_double::Call;
using platform::registry::kLocalMachine;
using test_support::ReadBytes;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kEnvironment[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kJdkKey[] =
    " (HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4, 64-bit registry view)";
constexpr char kTomcatKey[] =
    " (HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1, 64-bit registry "
    "view)";

TEST(TimeStamp, GivesEveryFieldItsFullWidth) {
  EXPECT_EQ(setup::TimeStamp({2024, 1, 2, 3, 4, 5, 6}), "2024-01-02 03:04:05.006");
  EXPECT_EQ(setup::TimeStamp({2025, 12, 31, 23, 59, 59, 999}), "2025-12-31 23:59:59.999");
}

class RunLogTest : public DoubleTest {
 protected:
  std::vector<std::string> Events() const { return LogEvents(path); }

  static std::string Utf8(const std::wstring& text) { return platform::ToUtf8(text); }

  test_support::TempFolder folder;
  const std::wstring path = folder / L"setup.log";
  setup::RunLog log;
};

TEST_F(RunLogTest, AJapaneseFolderComesBackByteForByte) {
  // 𠮷 has no place in code page 932.
  log.Open(path, L"1.01");
  log.Product(setup::kTomcat,
              {setup::ProductFolder::State::kFound, L"C:\\アプリ\\𠮷野家\\Tomcat 4.1"});
  EXPECT_THAT(
      Events(),
      ElementsAre("start setup.exe 1.01",
                  std::string("product Tomcat 4.1: C:\\アプリ\\𠮷野家\\Tomcat 4.1") + kTomcatKey));
  EXPECT_THAT(ReadBytes(path), ::testing::HasSubstr("\\\xf0\xa0\xae\xb7\xe9\x87\x8e"));
}

TEST_F(RunLogTest, ALaterRunAppendsWithoutASecondByteOrderMark) {
  log.Open(path, L"1.01");
  setup::RunLog later;
  later.Open(path, L"1.02");
  later.DataSourceRemoved(L"TESSAL", {});
  EXPECT_THAT(Events(), ElementsAre("start setup.exe 1.01", "start setup.exe 1.02",
                                    "datasource TESSAL: not removed"));
}

TEST_F(RunLogTest, AMessageTakesOneLineWithItsCodeAndCaption) {
  log.Open(path, L"1.01");
  log.Message(L"実行時エラー '5':\r\n\r\nアクセスが拒否されました。", 16, L"setup");
  log.Message(L"ｴﾗｰ発生(共通/FU_MkDir) 3:指定されたパスが見つかりません。\rC:\\x\\y\r", 4112,
              L"setup");
  EXPECT_THAT(Events(),
              ElementsAre("start setup.exe 1.01",
                          "message 16 [setup] 実行時エラー '5': | アクセスが拒否されました。",
                          "message 4112 [setup] ｴﾗｰ発生(共通/FU_MkDir) "
                          "3:指定されたパスが見つかりません。 | C:\\x\\y"));
}

TEST_F(RunLogTest, ACompleteRunSaysWhatItFoundAndDidInOrder) {
  const FakeMachine machine;
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  host_double::PutString(kLocalMachine, kEnvironment, "Path", "C:\\WINDOWS",
                         platform::registry::kTypeExpandString);
  host_double::ScriptAnswers({6});
  log.Open(path, L"1.01");
  ASSERT_EQ(setup::Main(log, L"1.01"), setup::Outcome::kSetUpRestartRequired);

  const std::string jdk = Utf8(machine.javaHome);
  const std::string tomcat = Utf8(machine.tomcatHome);
  const std::string webInf = tomcat + "\\webapps\\tessal\\WEB-INF";
  const std::vector<std::string> events = Events();
  ASSERT_EQ(events.size(), 25u);
  EXPECT_THAT(std::vector(events.begin(), events.begin() + 7),
              ElementsAre("start setup.exe 1.01", "product JDK 1.4: " + jdk + kJdkKey,
                          "product Tomcat 4.1: " + tomcat + kTomcatKey,
                          "environment CATALINA_HOME: written as REG_SZ",
                          "environment CLASSPATH: written as REG_SZ",
                          "environment JAVA_HOME: written as REG_SZ",
                          "environment Path: written as REG_EXPAND_SZ"));
  const std::string dist = Utf8(machine.distribution);
  for (std::size_t row = 7; row < 19; ++row) {
    EXPECT_THAT(events[row], ::testing::StartsWith("deploy " + dist + "\\"));
  }
  EXPECT_EQ(events[7], "deploy " + dist + "\\J2SE\\bin -> " + jdk + "\\bin: 0 files copied");
  EXPECT_EQ(events[8],
            "deploy " + dist + "\\J2SE\\jre\\lib -> " + jdk + "\\jre\\lib: 1 file copied");
  EXPECT_THAT(
      std::vector(events.begin() + 19, events.end()),
      ElementsAre("rewrite " + jdk +
                      "\\jre\\lib\\logging.properties: 2 lines read as ISO-8859-1, "
                      "1 replaced, " +
                      "backup " + jdk + "\\jre\\lib\\logging.org",
                  "rewrite " + webInf + "\\web.xml: 3 lines read as UTF-8, 1 replaced, backup " +
                      webInf + "\\web.org",
                  "rewrite " + webInf +
                      "\\classes\\poolman.xml: 3 lines read as UTF-8, 1 replaced, backup " +
                      webInf + "\\classes\\poolman.org",
                  "datasource TESSAL: removed, if there was one",
                  "datasource TESSAL: added for " + tomcat + "\\webapps\\tessal\\TESSAL.mdb",
                  "marker HKEY_LOCAL_MACHINE\\SOFTWARE\\tessal\\Setup\\Version (64-bit registry "
                  "view): 1.01 written"));
}

// Hands each message to the log, as the program's session does.
class MessagesToTheLog final : public platform::MessageSink {
 public:
  explicit MessagesToTheLog(setup::RunLog& log) : log_(log), routed_(*this) {}
  int Take(const std::wstring& prompt, int code,
           const std::optional<std::wstring>& caption) override {
    log_.Message(prompt, code, caption.value_or(platform::kApplicationTitle));
    return platform::ShowBox(prompt, code, caption);
  }

 private:
  setup::RunLog& log_;
  platform::RoutedMessages routed_;
};

// What the routines report as a failure, the log reports as not done.
TEST_F(RunLogTest, WhatARunCouldNotDoIsLoggedAsNotDone) {
  const FakeMachine machine;
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  host_double::PutString(kLocalMachine, kEnvironment, "Path",
                         "C:\\WINDOWS;" + platform::ToAnsi(machine.javaHome) + "\\BIN",
                         platform::registry::kTypeExpandString);
  host_double::Fail(Call::kRegistrySet, 5);
  host_double::Fail(Call::kConfigDataSource, host_double::kOdbcRequestFailed);
  host_double::Fail(Call::kConfigDataSource, host_double::kOdbcRequestFailed, host_double::Nth(2));
  host_double::ScriptInstallerErrors({{6, "Component not found"}, {11, "Request\r\nFailed"}});
  host_double::ScriptAnswers({6});
  log.Open(path, L"1.01");
  MessagesToTheLog messages(log);
  ASSERT_EQ(setup::Main(log, L"1.01"), setup::Outcome::kProblemReported);

  const std::vector<std::string> events = Events();
  EXPECT_THAT(events, Contains("environment CATALINA_HOME: not written"));
  EXPECT_THAT(events, Contains("environment Path: left as it was, it already holds " +
                               Utf8(machine.javaHome) + "\\bin"));
  const std::string reasons =
      ": ODBC installer error 6: Component not found; ODBC installer error 11: Request | Failed";
  EXPECT_THAT(events, Contains("datasource TESSAL: not removed" + reasons));
  EXPECT_THAT(events, Contains("datasource TESSAL: not added" + reasons));
  EXPECT_THAT(events, Not(Contains(StartsWith("marker "))));
}

TEST_F(RunLogTest, AProductThatIsMissingOrUnreadableIsLoggedWithWhereItWasLookedFor) {
  host_double::PutKey(kLocalMachine, "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4");
  host_double::ScriptAnswers({6});
  log.Open(path, L"1.01");
  EXPECT_EQ(setup::Main(log, L"1.01"), setup::Outcome::kProductMissing);
  host_double::PutString(kLocalMachine, "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4", "JavaHome",
                         platform::ToAnsi(folder.path()));
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log, L"1.01"), setup::Outcome::kProductMissing);
  EXPECT_THAT(Events(), ElementsAre("start setup.exe 1.01",
                                    std::string("product JDK 1.4: unreadable") + kJdkKey,
                                    "product JDK 1.4: " + Utf8(folder.path()) + kJdkKey,
                                    std::string("product Tomcat 4.1: not installed") + kTomcatKey));
}

}  // namespace
