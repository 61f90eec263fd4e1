#include "setup/run.h"

#include <gmock/gmock.h>

#include <filesystem>

#include "app/program.h"
#include "double_fixture.h"
#include "log_events.h"
#include "machine.h"
#include "platform/host/double_state.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "setup/products.h"

namespace {

using host_double::ShownMessage;
using platform::registry::kLocalMachine;
using setup::Outcome;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::string_literals;

constexpr char kJdkSubKey[] = "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4";
constexpr char kTomcatSubKey[] = "SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1";
constexpr char kEnvironmentSubKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr wchar_t kConfirm[] = L"セットアップを開始してよろしいですか？";

class MainTest : public DoubleTest {
 protected:
  void RegisterJdk() const { machine.RegisterJdk(machine.javaHome); }
  void RegisterTomcat() const { machine.RegisterTomcat(machine.tomcatHome); }
  static bool NothingWritten() {
    return host_double::RegistryWriteCount() == 0 && host_double::OdbcCalls().empty() &&
           host_double::BusyPointerChanges().empty();
  }

  FakeMachine machine;
  setup::RunLog log;
};

TEST_F(MainTest, ASecondInstanceOnlySaysSoAndReadsNothing) {
  host_double::SetPreviousInstance(true);
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kAlreadyRunning);
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
                               public ::testing::WithParamInterface<std::pair<int, Outcome>> {};

TEST_P(AnswerOtherThanYesTest, EndsTheRunBeforeAnythingIsReadOrWritten) {
  const auto [answer, exitCode] = GetParam();
  RegisterJdk();
  RegisterTomcat();
  host_double::ScriptAnswers({answer});
  EXPECT_EQ(setup::Main(log, L"1.01"), exitCode);
  ASSERT_EQ(host_double::ShownMessages().size(), 1u);
  EXPECT_EQ(host_double::ShownMessages()[0].code, 68);
  EXPECT_EQ(host_double::ShownMessages()[0].caption, std::nullopt);
  EXPECT_TRUE(host_double::OpenedSubKeys().empty());
  EXPECT_TRUE(NothingWritten());
}

INSTANTIATE_TEST_SUITE_P(NoOrNoBox, AnswerOtherThanYesTest,
                         ::testing::Values(std::pair{7, Outcome::kDeclined},
                                           std::pair{0, Outcome::kFailed}));

TEST_F(MainTest, WithoutTheJdkTheTomcatKeyIsNeverRead) {
  RegisterTomcat();
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kProductMissing);
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
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kProductMissing);
  EXPECT_THAT(Prompts(), ElementsAre(kConfirm,
                                     L"Apache Tomcat 4.1.40がインストールされていません。\r"
                                     L"先にインストールを行って下さい。"));
  EXPECT_TRUE(NothingWritten());
}

// "ERROR" is no folder: the product's key is there but its value cannot be read.
struct UnreadableFolder {
  const char* product;
  void (*registerProducts)(const FakeMachine&);  // the products as this case leaves them
  std::wstring message;  // the registry routine's, the only one after the question
  std::vector<std::string> opened;
};

void PrintTo(const UnreadableFolder& folder, std::ostream* out) {
  *out << folder.product;
}

class UnreadableFolderTest : public MainTest,
                             public ::testing::WithParamInterface<UnreadableFolder> {};

TEST_P(UnreadableFolderTest, EndsTheRunAfterTheRegistryMessageOnly) {
  const UnreadableFolder& folder = GetParam();
  folder.registerProducts(machine);
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kProductMissing);
  EXPECT_THAT(Prompts(), ElementsAre(kConfirm, folder.message));
  EXPECT_EQ(host_double::ShownMessages()[1].caption, L"警告");
  EXPECT_EQ(host_double::OpenedSubKeys(), folder.opened);
  EXPECT_TRUE(NothingWritten());
}

INSTANTIATE_TEST_SUITE_P(
    EitherProduct, UnreadableFolderTest,
    ::testing::Values(
        UnreadableFolder{"Jdk",
                         [](const FakeMachine& machine) {
                           host_double::PutKey(kLocalMachine, kJdkSubKey);  // without JavaHome
                           machine.RegisterTomcat(machine.tomcatHome);
                         },
                         L"レジストリキー値が取得出来ません"
                         L"HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4"
                         L"JavaHome",
                         {kJdkSubKey}},
        UnreadableFolder{"Tomcat",
                         [](const FakeMachine& machine) {
                           machine.RegisterJdk(machine.javaHome);
                           host_double::PutKey(kLocalMachine, kTomcatSubKey);  // no default value
                         },
                         L"レジストリキー値が取得出来ません"
                         L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1",
                         {kJdkSubKey, kTomcatSubKey}}),
    [](const auto& param) { return std::string(param.param.product); });

// A key that names no folder of an installed product, as an uninstaller may leave it behind.
struct FolderNotThere {
  const char* name;
  const setup::Product& product;
  std::wstring (*folder)(const FakeMachine&);
  const char* why;  // as the log's product line says it
};

void PrintTo(const FolderNotThere& folder, std::ostream* out) {
  *out << folder.name;
}

class FolderNotThereTest : public MainTest, public ::testing::WithParamInterface<FolderNotThere> {};

TEST_P(FolderNotThereTest, IsAProductNotInstalledAndChangesNothing) {
  const FolderNotThere& notThere = GetParam();
  machine.RegisterProducts();
  test_support::WriteBytes(machine.root / L"file", "");
  const std::wstring folder = notThere.folder(machine);
  if (&notThere.product == &setup::kJdk) {
    machine.RegisterJdk(folder);
  } else {
    machine.RegisterTomcat(folder);
  }
  log.Open(machine.root / L"setup.log", L"1.01");
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kProductMissing);
  EXPECT_THAT(Prompts(), ElementsAre(kConfirm, std::wstring(notThere.product.notInstalled) +
                                                   L"\r先にインストールを行って下さい。"));
  EXPECT_TRUE(NothingWritten());
  EXPECT_THAT(LogEvents(machine.root / L"setup.log"),
              Contains(AllOf(StartsWith("product " + platform::ToUtf8(notThere.product.name)),
                             HasSubstr(notThere.why))));
}

INSTANTIATE_TEST_SUITE_P(
    EitherProduct, FolderNotThereTest,
    ::testing::Values(
        FolderNotThere{"Empty", setup::kJdk, [](const FakeMachine&) { return std::wstring(); },
                       ": not installed, its key names no folder ("},
        FolderNotThere{"Relative", setup::kTomcat,
                       [](const FakeMachine&) { return std::wstring(L"Tomcat 4.1"); },
                       ": not installed, Tomcat 4.1 is not a full path ("},
        FolderNotThere{"OnTheCurrentDrive", setup::kJdk,
                       [](const FakeMachine&) { return std::wstring(L"\\j2sdk1.4.2"); },
                       ": not installed, \\j2sdk1.4.2 is not a full path ("},
        FolderNotThere{"Gone", setup::kJdk,
                       [](const FakeMachine& machine) { return machine.root / L"j2sdk1.4.2"; },
                       ": not installed, there is no folder C:"},
        FolderNotThere{"AFile", setup::kTomcat,
                       [](const FakeMachine& machine) { return machine.root / L"file"; },
                       ": not installed, there is no folder C:"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(IsFullPath, TakesADriveOrAShareFromItsRoot) {
  for (const wchar_t* full : {L"C:\\", L"d:\\j2sdk", L"C:/Tomcat", L"\\\\server\\share",
                              L"\\\\server\\share\\Tomcat 4.1", L"//server/share"}) {
    EXPECT_TRUE(setup::IsFullPath(full)) << platform::ToUtf8(full);
  }
  for (const wchar_t* partial : {L"", L"j2sdk", L"C:", L"C:j2sdk", L"\\j2sdk", L"\\\\server",
                                 L"\\\\server\\", L"\\\\\\share", L"1:\\x"}) {
    EXPECT_FALSE(setup::IsFullPath(partial)) << platform::ToUtf8(partial);
  }
}

// The SHA-256 of "abc".
constexpr char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

// A distribution that is not whole, and the report that names what is wrong.
struct NotWhole {
  const char* name;
  std::string checksums;  // SHA256SUMS beside the program, if not empty
  void (*spoil)(const FakeMachine&);
  std::wstring report;   // but the subject
  std::wstring subject;  // below the distribution
};

void PrintTo(const NotWhole& notWhole, std::ostream* out) {
  *out << notWhole.name;
}

class NotWholeTest : public MainTest, public ::testing::WithParamInterface<NotWhole> {};

TEST_P(NotWholeTest, EndsTheRunWithTheReportOfWhatIsWrongBeforeAnythingIsWritten) {
  const NotWhole& notWhole = GetParam();
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  machine.Put(machine.distribution + L"\\J2SE\\bin", L"java.dll", "abc");
  if (!notWhole.checksums.empty()) {
    test_support::WriteBytes(machine.distribution + L"\\SHA256SUMS", notWhole.checksums);
  }
  notWhole.spoil(machine);
  host_double::ScriptAnswers({6});
  EXPECT_EQ(app::RunProgram(L"setup.exe"), 1603);
  EXPECT_EQ(Prompts().back(),
            L"実行時エラー " + notWhole.report + L"\r\n" + machine.distribution + notWhole.subject);
  EXPECT_TRUE(NothingWritten());
}

void Remove(const FakeMachine& machine, const wchar_t* path) {
  std::filesystem::remove(host_double::detail::HostPath(machine.distribution + path));
}

INSTANTIATE_TEST_SUITE_P(
    Distribution, NotWholeTest,
    ::testing::Values(
        NotWhole{"PackagedFolder", "",
                 [](const FakeMachine& m) { Remove(m, L"\\TOMCAT\\webapps\\tessal\\xls"); },
                 L"'3':\r\n\r\n指定されたパスが見つかりません。",
                 L"\\TOMCAT\\webapps\\tessal\\xls"},
        NotWhole{
            "ConfigurationFile", "",
            [](const FakeMachine& m) { Remove(m, L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\web.xml"); },
            L"'2':\r\n\r\n指定されたファイルが見つかりません。",
            L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\web.xml"},
        NotWhole{"ListedFileMissing", kAbc + "  J2SE/bin/java.dll\n"s + kAbc + "  J2SE/bin/x.dll\n",
                 [](const FakeMachine&) {}, L"'2':\r\n\r\n指定されたファイルが見つかりません。",
                 L"\\J2SE\\bin\\x.dll"},
        NotWhole{
            "ListedFileDifferent", kAbc + "  J2SE/bin/java.dll\n"s,
            [](const FakeMachine& m) { m.Put(m.distribution + L"\\J2SE\\bin", L"java.dll", "ab"); },
            L"'536870916':\r\n\r\nファイルの内容がSHA256SUMSと一致しません。",
            L"\\J2SE\\bin\\java.dll"},
        NotWhole{"ListMalformed", kAbc + "  J2SE/bin/java.dll\r\n"s + kAbc + " J2SE/bin/java.dll",
                 [](const FakeMachine&) {}, L"'536870917':\r\n\r\n2行目の形式が正しくありません。",
                 L"\\SHA256SUMS"},
        NotWhole{"ListUnreadable", kAbc + "  J2SE/bin/java.dll\n"s,
                 [](const FakeMachine& m) {
                   host_double::SetUnreadable(m.distribution + L"\\SHA256SUMS");
                 },
                 L"'5':\r\n\r\nアクセスが拒否されました。", L"\\SHA256SUMS"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainTest, ACompleteRunWorksThePointerAndReportsCompletion) {
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  machine.Put(machine.distribution + L"\\J2SE\\bin", L"java.dll", "abc");
  test_support::WriteBytes(machine.distribution + L"\\SHA256SUMS",
                           kAbc + " *./J2SE/bin/java.dll\n"s);
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kSetUpRestartRequired);
  EXPECT_EQ(host_double::BusyPointerChanges(), (std::vector<bool>{true, false}));
  EXPECT_EQ(FakeMachine::Marker(), std::wstring(L"1.01") + L'\0');
  ASSERT_FALSE(host_double::ShownMessages().empty());
  const ShownMessage& last = host_double::ShownMessages().back();
  EXPECT_EQ(last.prompt, L"セットアップが完了しました。");
  EXPECT_EQ(last.code, 64);
  EXPECT_EQ(last.caption, std::nullopt);
}

// A folder of the distribution that cannot be listed, after it was found whole, is no empty one.
TEST_F(MainTest, AFailureNoRoutineTrapsEndsTheProgramWithItsReport) {
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  FakeMachine::PutMarker(L"1.00");
  const std::wstring conf = machine.distribution + L"\\TOMCAT\\conf";
  host_double::Fail(host_double::Call::kListing, 5, host_double::About(conf));
  host_double::ScriptAnswers({6});
  EXPECT_EQ(app::RunProgram(L"setup.exe"), 1603);
  EXPECT_EQ(Prompts().back(), L"実行時エラー '5':\r\n\r\nアクセスが拒否されました。\r\n" + conf);
  EXPECT_EQ(host_double::BusyPointerChanges(), (std::vector<bool>{true, false}))
      << "the report shows with the default pointer";
  EXPECT_EQ(FakeMachine::Marker(), std::nullopt);
}

// One form of each folder, whatever its key ends in: every value, Path's entry and its search,
// the rewritten lines and the data source.
TEST_F(MainTest, AFolderIsUsedWithoutTheSeparatorItsKeyEndsIn) {
  machine.RegisterJdk(machine.javaHome + L"\\");
  machine.RegisterTomcat(machine.tomcatHome + L"//");
  machine.PackConfigurationFiles();
  const std::wstring path = L"C:\\Windows;" + machine.javaHome + L"\\bin";
  host_double::PutText(kLocalMachine, kEnvironmentSubKey, "Path", path, 2);
  host_double::ScriptAnswers({6});
  EXPECT_EQ(setup::Main(log, L"1.01"), Outcome::kSetUpRestartRequired);
  const auto text = [](const char* name) {
    return host_double::GetText(kLocalMachine, kEnvironmentSubKey, name)->text;
  };
  EXPECT_EQ(text("JAVA_HOME"), machine.javaHome + L'\0');
  EXPECT_EQ(text("CATALINA_HOME"), machine.tomcatHome + L'\0');
  EXPECT_EQ(text("Path"), path + L'\0') << "left as it was";
  EXPECT_THAT(test_support::ReadBytes(machine.tomcatHome + L"\\webapps\\tessal\\WEB-INF\\web.xml"),
              HasSubstr(platform::ToUtf8(machine.tomcatHome) + "\\webapps\\tessal\\<"));
  EXPECT_THAT(host_double::OdbcCalls().back().attributes,
              HasSubstr("DBQ=" + platform::ToAnsi(machine.tomcatHome) + "\\webapps"));
  machine.RegisterJdk(L"C:\\\\");
  EXPECT_EQ(setup::FindProductFolder(setup::kJdk).folder, L"C:\\") << "a drive's root keeps it";
}

TEST_F(MainTest, AConfigurationFileThatIsNotTextIsLeftAsDeployedAndTheRunHasAProblem) {
  machine.RegisterProducts();
  machine.PackConfigurationFiles();
  const std::wstring webInf = L"\\webapps\\tessal\\WEB-INF";
  const std::string utf16 = "\xFF\xFE<\0w\0>\0"s;
  machine.Put(machine.distribution + L"\\TOMCAT" + webInf, L"web.xml", utf16);
  host_double::ScriptAnswers({6});
  EXPECT_EQ(app::RunProgram(L"setup.exe"), 1603);
  EXPECT_EQ(test_support::ReadBytes(machine.tomcatHome + webInf + L"\\web.xml"), utf16);
  EXPECT_EQ(test_support::ReadBytes(machine.tomcatHome + webInf + L"\\web.org"), utf16);
  EXPECT_THAT(host_double::ShownMessages(),
              Contains(AllOf(Field(&ShownMessage::prompt,
                                   EndsWith(L"\r" + machine.tomcatHome + webInf + L"\\web.xml")),
                             Field(&ShownMessage::code, 16))));
}

TEST(WithSlashes, TurnsEveryBackslashAndLeavesSlashes) {
  EXPECT_EQ(setup::WithSlashes(L"C:\\Program Files\\Apache Group\\Tomcat 4.1"),
            L"C:/Program Files/Apache Group/Tomcat 4.1");
  EXPECT_EQ(setup::WithSlashes(L"C:/Tomcat"), L"C:/Tomcat");
}

}  // namespace
