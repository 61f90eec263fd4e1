#include "setup/main.h"

#include <gmock/gmock.h>

#include "app/run.h"
#include "double_fixture.h"
#include "machine.h"
#include "platform/registry.h"

namespace {

using host_double::ShownMessage;
using platform::registry::kLocalMachine;
using setup::ExitCode;
using ::testing::ElementsAre;

constexpr char kJdkSubKey[] = "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4";
constexpr char kTomcatSubKey[] = "SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1";
constexpr wchar_t kConfirm[] = L"セットアップを開始してよろしいですか？";

class MainTest : public DoubleTest {
 protected:
  static void RegisterJdk() {
    host_double::PutString(kLocalMachine, kJdkSubKey, "JavaHome", "C:\\j2sdk1.4.2");
  }
  static void RegisterTomcat() {
    host_double::PutString(kLocalMachine, kTomcatSubKey, "", "C:\\Tomcat");
  }
  static bool NothingWritten() {
    return host_double::RegistryWriteCount() == 0 && host_double::OdbcCalls().empty() &&
           host_double::BusyPointerChanges().empty();
  }

  setup::RunLog log;
};

TEST_F(MainTest, ASecondInstanceOnlySaysSoAndReadsNothing) {
  host_double::SetPreviousInstance(true);
  EXPECT_EQ(setup::Main(log), ExitCode::kAlreadyRunning);
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  const ShownMessage& shown = host_double::ShownMessages().front();
  EXPECT_EQ(shown.prompt, L"setup.exeは既に起動されています。");
  EXPECT_EQ(shown.code, 16);
  EXPECT_EQ(shown.caption, L"警告");
  EXPECT_TRUE(host_double::OpenedSubKeys().empty());
  EXPECT_TRUE(NothingWritten());
}

TEST_F(MainTest, NoEndsTheRunBeforeAnythingIsReadOrWritten) {
  RegisterJdk();
  RegisterTomcat();
  host_double::ScriptAnswers({7});
  EXPECT_EQ(setup::Main(log), ExitCode::kDeclined);
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  EXPECT_EQ(host_double::ShownMessages()[0].code, 68);
  EXPECT_EQ(host_double::ShownMessages()[0].caption, std::nullopt);
  EXPECT_TRUE(host_double::OpenedSubKeys().empty());
  EXPECT_TRUE(NothingWritten());
}

TEST_F(MainTest, WithoutTheJdkTheTomcatKeyIsNeverRead) {
  RegisterTomcat();
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log), ExitCode::kProductMissing);
  EXPECT_THAT(Prompts(), ElementsAre(kConfirm,
                                     L"Java 2 SDK 1.4がインストールされていません。\r"
                                     L"先にインストールを行って下さい。"));
  EXPECT_EQ(host_double::ShownMessages()[1].code, 16);
  EXPECT_EQ(host_double::ShownMessages()[1].caption, std::nullopt);
  EXPECT_THAT(host_double::OpenedSubKeys(), ElementsAre(kJdkSubKey));
  EXPECT_TRUE(NothingWritten());
}

TEST_F(MainTest, WithoutTomcatItsMessageEndsTheRun) {
  RegisterJdk();
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log), ExitCode::kProductMissing);
  EXPECT_THAT(Prompts(), ElementsAre(kConfirm,
                                     L"Apache Tomcat 4.1.40がインストールされていません。\r"
                                     L"先にインストールを行って下さい。"));
  EXPECT_TRUE(NothingWritten());
}

TEST_F(MainTest, AnUnreadableFolderEndsTheRunAfterTheRegistryMessageOnly) {
  host_double::PutKey(kLocalMachine, kJdkSubKey);  // the key without its JavaHome value
  RegisterTomcat();
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log), ExitCode::kProductMissing);
  ASSERT_EQ(host_double::ShownMessages().size(), 2u);
  EXPECT_EQ(host_double::ShownMessages()[1].caption, L"警告");
  EXPECT_THAT(host_double::OpenedSubKeys(), ElementsAre(kJdkSubKey));
  EXPECT_TRUE(NothingWritten());
}

TEST_F(MainTest, ACompleteRunWorksThePointerAndReportsCompletion) {
  const FakeMachine machine;
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log), ExitCode::kCompleted);
  EXPECT_EQ(host_double::BusyPointerChanges(), (std::vector<bool>{true, false}));
  ASSERT_FALSE(host_double::ShownMessages().empty());
  const ShownMessage& last = host_double::ShownMessages().back();
  EXPECT_EQ(last.prompt, L"セットアップが完了しました。");
  EXPECT_EQ(last.code, 64);
  EXPECT_EQ(last.caption, std::nullopt);
}

TEST_F(MainTest, AFailureNoRoutineTrapsEndsTheProgramWithItsReport) {
  const FakeMachine machine;
  machine.RegisterProducts();  // no configuration files to rewrite
  host_double::ScriptAnswers({6});
  EXPECT_EQ(app::Run(L"setup.exe"), 1);
  EXPECT_EQ(Prompts().back(), L"実行時エラー '2':\r\n\r\n指定されたファイルが見つかりません。");
  EXPECT_EQ(host_double::BusyPointerChanges(), std::vector<bool>{true}) << "left as it was";
}

TEST(WithSlashes, TurnsEveryBackslashAndLeavesSlashes) {
  EXPECT_EQ(setup::WithSlashes(L"C:\\Program Files\\Apache Group\\Tomcat 4.1"),
            L"C:/Program Files/Apache Group/Tomcat 4.1");
  EXPECT_EQ(setup::WithSlashes(L"C:/Tomcat"), L"C:/Tomcat");
}

TEST(FailureReport, ShowsTheNumberAndTheDescription) {
  EXPECT_EQ(app::FailureReport(platform::Failure(5, L"アクセスが拒否されました。")),
            L"実行時エラー '5':\r\n\r\nアクセスが拒否されました。");
}

}  // namespace
