// The program as an administrator or a deployment tool starts it: a command line in, boxes or a
// log and an exit code out.
#include "app/program.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "double_fixture.h"
#include "log_events.h"
#include "machine.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr char kQuestion[] = "message 68 [setup] セットアップを開始してよろしいですか？";
constexpr char kCompletion[] = "message 64 [setup] セットアップが完了しました。";

class RunTest : public DoubleTest {
 protected:
  RunTest() {
    machine.RegisterProducts();
    machine.PackConfigurationFiles();
  }

  // setup.exe with the arguments, and with /log and the test's log file.
  int RunLogged(const std::wstring& arguments) const {
    return app::RunProgram(L"\"C:\\dist\\setup.exe\" " + arguments + L" /log \"" + log + L"\"");
  }
  std::vector<std::string> Events() const { return LogEvents(log); }
  static bool NothingReadOrWritten() {
    return host_double::OpenedSubKeys().empty() && host_double::RegistryWriteCount() == 0 &&
           host_double::OdbcCalls().empty();
  }

  std::wstring Below(const std::wstring& name) const { return machine.root / name; }

  FakeMachine machine;
  const std::wstring log = Below(L"ログ 1.log");
};

// Each case runs at the screen and quiet: the quiet run shows no box, logs the same messages and
// ends with the same code.
class BothModes : public RunTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool Quiet() const { return GetParam(); }
  int RunInMode() {
    if (!Quiet()) {
      host_double::ScriptAnswers({6});
    }
    return RunLogged(Quiet() ? L"/quiet" : L"");
  }
  void ExpectBoxes(std::size_t shownAtTheScreen) const {
    EXPECT_EQ(host_double::ShownMessages().size(), Quiet() ? 0u : shownAtTheScreen);
  }
};

INSTANTIATE_TEST_SUITE_P(Run, BothModes, ::testing::Values(false, true),
                         [](const auto& mode) { return mode.param ? "Quiet" : "AtTheScreen"; });

// The first run changes the environment, which services see after a restart; a repeat changes
// nothing of it. Both leave the marker last.
TEST_P(BothModes, AFirstRunEndsWith3010ARepeatWith0AndEachLogsEveryMessage) {
  host_double::PutText(platform::registry::kLocalMachine,
                       "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", "Path",
                       L"C:\\WINDOWS");
  EXPECT_EQ(RunInMode(), 3010);
  ExpectBoxes(2);
  std::vector<std::string> events = Events();
  ASSERT_EQ(events.size(), 28u);
  EXPECT_EQ(events[0], "start setup.exe 1.01");
  EXPECT_EQ(events[1], kQuestion);
  EXPECT_THAT(events[2], StartsWith("product JDK 1.4: "));
  EXPECT_EQ(events[25],
            "marker HKEY_LOCAL_MACHINE\\SOFTWARE\\tessal\\Setup\\Version (64-bit registry view): "
            "1.01 written");
  EXPECT_EQ(events[26], kCompletion);
  EXPECT_EQ(events[27], "exit 3010: set up; services see the environment after a restart");
  EXPECT_EQ(FakeMachine::Marker(), std::wstring(L"1.01") + L'\0');

  EXPECT_EQ(RunInMode(), 0);
  events = Events();
  EXPECT_EQ(events.back(), "exit 0: set up, and no system environment value needed a change");
  EXPECT_EQ(FakeMachine::Marker(), std::wstring(L"1.01") + L'\0');
}

TEST_P(BothModes, AProblemReportedOnTheWayEndsWith1603AndLeavesNoMarker) {
  FakeMachine::PutMarker(L"1.00");
  // The second request, the add.
  host_double::Fail(host_double::Call::kConfigDataSource, host_double::kOdbcRequestFailed,
                    host_double::Nth(2));
  EXPECT_EQ(RunInMode(), 1603);
  ExpectBoxes(3);
  const std::vector<std::string> events = Events();
  EXPECT_THAT(events, Contains("message 16 [setup] データソースTESSALが登録されませんでした。"));
  EXPECT_EQ(events.back(), "exit 1603: not set up: a message reported a problem");
  EXPECT_EQ(FakeMachine::Marker(), std::nullopt)
      << "an earlier run's marker is taken before any change";
}

TEST_P(BothModes, AMarkerThatCannotBeTakenAwayEndsTheRunBeforeAnyChange) {
  FakeMachine::PutMarker(L"1.00");
  host_double::Fail(host_double::Call::kRegistryDelete, 5);
  EXPECT_EQ(RunInMode(), 1603);
  EXPECT_EQ(host_double::RegistryWriteCount(), 1) << "the delete only";
  EXPECT_THAT(Events()[Events().size() - 2],
              StartsWith("message 16 [setup] 実行時エラー '5': | アクセスが拒否されました。 | "
                         "HKEY_LOCAL_MACHINE\\SOFTWARE\\tessal\\Setup\\Version"));
}

TEST_P(BothModes, ALogThatCannotBeOpenedEndsWith1603BeforeAnythingIsRead) {
  const std::wstring missing = Below(L"missing\\setup.log");
  EXPECT_EQ(app::RunProgram(std::wstring(L"setup.exe /log ") + missing + (Quiet() ? L" /q" : L"")),
            1603);
  EXPECT_TRUE(NothingReadOrWritten());
  ExpectBoxes(1);
  if (!Quiet()) {
    EXPECT_EQ(Prompts().front(),
              L"実行時エラー '3':\r\n\r\n指定されたパスが見つかりません。\r\n" + missing);
  }
}

TEST_P(BothModes, ArgumentsThatMeanNothingEndWith1639BeforeAnythingIsRead) {
  EXPECT_EQ(RunLogged(Quiet() ? L"/quiet /qiet" : L"/qiet"), 1639);
  EXPECT_TRUE(NothingReadOrWritten());
  ExpectBoxes(1);
  if (!Quiet()) {
    EXPECT_EQ(host_double::ShownMessages().front().code, 16);
    EXPECT_EQ(host_double::ShownMessages().front().caption, std::nullopt);
  }
  const std::vector<std::string> events = Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_THAT(events[1], StartsWith("message 16 [setup] 引数「/qiet」が正しくありません。 | "));
  EXPECT_EQ(events[2], "exit 1639: the command line means nothing to the program");
}

// A service, a scheduled task, a deployment tool's SYSTEM account: no box there is ever answered.
// Only a quiet run goes on; every other line ends at once, with no box and a line in its log.
TEST_F(RunTest, WhereNoOneCanSeeABoxOnlyAQuietRunGoesOn) {
  host_double::SetDesktopVisible(false);
  EXPECT_EQ(RunLogged(L""), 1639);
  EXPECT_THAT(Events()[1], StartsWith("unseen: the window station is not visible"));
  EXPECT_EQ(RunLogged(L"/qiet"), 1639);
  EXPECT_THAT(Events()[4], StartsWith("message 16 [setup] 引数「/qiet」が正しくありません。"));
  EXPECT_TRUE(NothingReadOrWritten());
  EXPECT_EQ(RunLogged(L"/quiet"), 3010);
  EXPECT_THAT(host_double::ShownMessages(), IsEmpty());
}

// A check that cannot read what it compares cannot tell: 1603, and its log says what it could not
// read, whether a registry value or a deployed file.
TEST_F(RunTest, ACheckThatCannotReadWhatItComparesEndsWith1603) {
  ASSERT_EQ(RunLogged(L"/quiet"), 3010);
  host_double::Fail(host_double::Call::kRegistryQuery, 5);
  EXPECT_EQ(RunLogged(L"/verify /quiet"), 1603);
  EXPECT_THAT(Events(), Contains(StartsWith("message 16 [setup] 実行時エラー '5': | ")));
  const std::wstring web = machine.tomcatHome + L"\\webapps\\tessal\\WEB-INF\\web.xml";
  host_double::SetUnreadable(web);
  EXPECT_EQ(RunLogged(L"/verify /quiet"), 1603);
  const std::vector<std::string> events = Events();
  EXPECT_THAT(events[events.size() - 2], ::testing::EndsWith(platform::ToUtf8(web)));
  EXPECT_EQ(events.back(), "exit 1603: not verified: a read failed");
  EXPECT_THAT(host_double::ShownMessages(), IsEmpty());
}

// A quiet run that ends early says why in its log only.
struct EarlyEnd {
  const char* name;
  void (*arrange)(const FakeMachine& machine);
  int exitCode;
  std::string (*message)(const FakeMachine& machine);  // the last line before the exit code's
};

class QuietEarlyEnd : public RunTest, public ::testing::WithParamInterface<EarlyEnd> {};

INSTANTIATE_TEST_SUITE_P(
    Run, QuietEarlyEnd,
    ::testing::Values(
        EarlyEnd{"SecondInstance",
                 [](const FakeMachine&) { host_double::SetPreviousInstance(true); }, 1618,
                 [](const FakeMachine&) -> std::string {
                   return "message 16 [警告] setup.exeは既に起動されています。";
                 }},
        EarlyEnd{"NoJdk",
                 [](const FakeMachine&) {
                   host_double::Reset();
                   host_double::PutString(platform::registry::kLocalMachine,
                                          "SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1", "",
                                          "C:\\Tomcat");
                 },
                 1603,
                 [](const FakeMachine&) -> std::string {
                   return "message 16 [setup] Java 2 SDK 1.4がインストールされていません。"
                          " | 先にインストールを行って下さい。";
                 }},
        // A folder where a packaged file goes: the failure that no routine traps.
        EarlyEnd{"BlockedCopy",
                 [](const FakeMachine& machine) {
                   test_support::MakeFolders(machine.tomcatHome +
                                             L"\\webapps\\tessal\\WEB-INF\\web.xml");
                 },
                 1603,
                 [](const FakeMachine& machine) {
                   return "message 16 [setup] 実行時エラー '5': | アクセスが拒否されました。 | " +
                          platform::ToUtf8(machine.tomcatHome +
                                           L"\\webapps\\tessal\\WEB-INF\\web.xml");
                 }}),
    [](const auto& end) { return end.param.name; });

TEST_P(QuietEarlyEnd, EndsWithItsCodeAndItsMessageInTheLogOnly) {
  GetParam().arrange(machine);
  EXPECT_EQ(RunLogged(L"/q"), GetParam().exitCode);
  EXPECT_THAT(host_double::ShownMessages(), IsEmpty());
  const std::vector<std::string> events = Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], GetParam().message(machine));
  EXPECT_THAT(events.back(), StartsWith("exit " + std::to_string(GetParam().exitCode) + ": "));
}

}  // namespace
