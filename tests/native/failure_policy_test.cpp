// A file call that fails in the middle of a run, with each code that a deployment meets: the run
// ends with the report that names the file and exit code 1, and what came before stays done, as
// app/failure_policy.h says.
#include <gmock/gmock.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/program.h"
#include "double_fixture.h"
#include "machine.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

using host_double::Call;
using test_support::Exists;
using test_support::ReadBytes;
using ::testing::HasSubstr;

constexpr char kShippedWebXml[] =
    "<web-app>\r\n  <param-value>C:\\TOMCAT\\webapps\\tessal\\</param-value>\r\n</web-app>\r\n";

// web.xml in the Tomcat folder, as the failure leaves it.
enum class WebXml { kNotDeployed, kAsShipped, kEmptied, kRewritten };

struct FailedCall {
  const char* name;
  Call call;  // about web.xml in the Tomcat folder
  WebXml left;
};

struct Code {
  std::uint32_t number;
  const wchar_t* description;
};

class FailurePolicyTest : public DoubleTest,
                          public ::testing::WithParamInterface<std::tuple<FailedCall, Code>> {
 protected:
  FailurePolicyTest() {
    machine.RegisterProducts();
    machine.PackConfigurationFiles();
  }

  void ExpectWebXml(WebXml left) const {
    switch (left) {
      case WebXml::kNotDeployed:
        EXPECT_FALSE(Exists(webXml));
        return;
      case WebXml::kAsShipped:
        EXPECT_EQ(ReadBytes(webXml), kShippedWebXml);
        return;
      case WebXml::kEmptied:
        EXPECT_EQ(ReadBytes(webXml), "");
        return;
      case WebXml::kRewritten:
        EXPECT_THAT(ReadBytes(webXml), HasSubstr(platform::ToUtf8(machine.tomcatHome)));
        return;
    }
  }

  FakeMachine machine;
  const std::wstring webInf = machine.tomcatHome + L"\\webapps\\tessal\\WEB-INF";
  const std::wstring webXml = webInf + L"\\web.xml";
};

TEST_P(FailurePolicyTest, EndsTheRunWithTheReportOfTheFileAndKeepsWhatWasDone) {
  const auto& [failed, code] = GetParam();
  host_double::Fail(failed.call, code.number, host_double::About(webXml));
  host_double::ScriptAnswers({6});
  EXPECT_EQ(app::RunProgram(L"setup.exe"), 1603);
  EXPECT_EQ(Prompts().back(), L"実行時エラー '" + std::to_wstring(code.number) + L"':\r\n\r\n" +
                                  code.description + L"\r\n" + webXml);

  // The environment and the JDK's files come before; the data source comes after.
  EXPECT_TRUE(host_double::GetValue(platform::registry::kLocalMachine,
                                    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\"
                                    "Environment",
                                    "JAVA_HOME"));
  EXPECT_TRUE(Exists(machine.javaHome + L"\\jre\\lib\\logging.properties"));
  EXPECT_TRUE(host_double::OdbcCalls().empty());
  ExpectWebXml(failed.left);
  const bool rewriting = failed.call != Call::kCopyFile;
  EXPECT_EQ(Exists(machine.javaHome + L"\\jre\\lib\\logging.org"), rewriting);
  if (rewriting) {
    EXPECT_EQ(ReadBytes(webInf + L"\\web.org"), kShippedWebXml) << "the backup is whole";
  }
  EXPECT_FALSE(Exists(webInf + L"\\classes\\poolman.org"));
  EXPECT_EQ(host_double::BusyPointerChanges(), (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(
    FileCalls, FailurePolicyTest,
    ::testing::Combine(::testing::Values(FailedCall{"Copy", Call::kCopyFile, WebXml::kNotDeployed},
                                         FailedCall{"Open", Call::kOpenForWriting,
                                                    WebXml::kAsShipped},
                                         FailedCall{"Write", Call::kWrite, WebXml::kEmptied},
                                         FailedCall{"Close", Call::kClose, WebXml::kRewritten}),
                       ::testing::Values(Code{5, L"アクセスが拒否されました。"},
                                         Code{32,
                                              L"プロセスはファイルにアクセスできません。"
                                              L"別のプロセスが使用中です。"},
                                         Code{112, L"ディスクに十分な空き領域がありません。"},
                                         Code{3, L"指定されたパスが見つかりません。"})),
    [](const auto& param) {
      return std::string(std::get<0>(param.param).name) + "_" +
             std::to_string(std::get<1>(param.param).number);
    });

}  // namespace
