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

void RegisterJdk() {
  host_double::PutString(kLocalMachine, kJdkSubKey, "JavaHome", "C:\\j2sdk1.4.2");
}
void RegisterTomcat() {
  host_double::PutString(kLocalMachine, kTomcatSubKey, "", "C:\\Tomcat");
}

class MainTest : public DoubleTest {
 protected:
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

// Only Yes goes on: No, and the 0 of a box that could not be shown, end the run at once.
class AnswerOtherThanYesTest : public MainTest,
                               public ::testing::WithParamInterface<std::pair<int, ExitCode>> {};

TEST_P(AnswerOtherThanYesTest, EndsTheRunBeforeAnythingIsReadOrWritten) {
  const auto [answer, exitCode] = GetParam();
  RegisterJdk();
  RegisterTomcat();
  host_double::ScriptAnswers({answer});
  EXPECT_EQ(setup::Main(log), exitCode);
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  EXPECT_EQ(host_double::ShownMessages()[0].code, 68);
  EXPECT_EQ(host_double::ShownMessages()[0].caption, std::nullopt);
  EXPECT_TRUE(host_double::OpenedSubKeys().empty());
  EXPECT_TRUE(NothingWritten());
}

INSTANTIATE_TEST_SUITE_P(NoOrNoBox, AnswerOtherThanYesTest,
                         ::testing::Values(std::pair{7, ExitCode::kDeclined},
                                           std::pair{0, ExitCode::kFailed}));

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

// "ERROR" is no folder: the product's key is there but its value cannot be read.
struct UnreadableFolder {
  const char* product;
  void (*registerProducts)();  // the products as this case leaves them
  std::wstring message;        // the registry routine's, the only one after the question
  std::vector<std::string> opened;
};

void PrintTo(const UnreadableFolder& folder, std::ostream* out) {
  *out << folder.product;
}

class UnreadableFolderTest : public MainTest,
                             public ::testing::WithParamInterface<UnreadableFolder> {};

TEST_P(UnreadableFolderTest, EndsTheRunAfterTheRegistryMessageOnly) {
  const UnreadableFolder& folder = GetParam();
  folder.registerProducts();
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log), ExitCode::kProductMissing);
  EXPECT_THAT(Prompts(), ElementsAre(kConfirm, folder.message));
  EXPECT_EQ(host_double::ShownMessages()[1].caption, L"警告");
  EXPECT_EQ(host_double::OpenedSubKeys(), folder.opened);
  EXPECT_TRUE(NothingWritten());
}

INSTANTIATE_TEST_SUITE_P(
    EitherProduct, UnreadableFolderTest,
    ::testing::Values(
        UnreadableFolder{"Jdk",
                         [] {
                           host_double::PutKey(kLocalMachine, kJdkSubKey);  // without JavaHome
                           RegisterTomcat();
                         },
                         L"レジストリキー値が取得出来ません"
                         L"HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4"
                         L"JavaHome",
                         {kJdkSubKey}},
        UnreadableFolder{"Tomcat",
                         [] {
                           RegisterJdk();
                           host_double::PutKey(kLocalMachine, kTomcatSubKey);  // no default value
                         },
                         L"レジストリキー値が取得出来ません"
                         L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1",
                         {kJdkSubKey, kTomcatSubKey}}),
    [](const auto& param) { return std::string(param.param.product); });

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
  EXPECT_EQ(Prompts().back(), L"実行時エラー '2':\r\n\r\n指定されたファイルが見つかりません。\r\n" +
                                  machine.javaHome + L"\\jre\\lib\\logging.properties");
  EXPECT_EQ(host_double::BusyPointerChanges(), std::vector<bool>{true}) << "left as it was";
}

TEST(WithSlashes, TurnsEveryBackslashAndLeavesSlashes) {
  EXPECT_EQ(setup::WithSlashes(L"C:\\Program Files\\Apache Group\\Tomcat 4.1"),
            L"C:/Program Files/Apache Group/Tomcat 4.1");
  EXPECT_EQ(setup::WithSlashes(L"C:/Tomcat"), L"C:/Tomcat");
}

}  // namespace
