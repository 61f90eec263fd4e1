#include "setup/environment_step.h"

#include <gmock/gmock.h>

#include "double_fixture.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "setup/steps.h"

namespace {

using platform::registry::kLocalMachine;

constexpr char kEnvironment[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const setup::RunValues kRun{L"C:\\j2sdk1.4.2", L"C:\\Tomcat", L"C:/Tomcat"};

class EnvironmentTest : public DoubleTest {
 protected:
  static void SetPath(std::wstring_view path,
                      std::uint32_t type = platform::registry::kTypeExpandString) {
    host_double::PutText(kLocalMachine, kEnvironment, "Path", path, type);
  }
  // Path as the W functions read it, each of its characters.
  static host_double::StoredText StoredPath() {
    return host_double::GetText(kLocalMachine, kEnvironment, "Path")
        .value_or(host_double::StoredText{0, L"<missing>"});
  }
  static std::optional<host_double::StoredValue> Stored(const char* name) {
    return host_double::GetValue(kLocalMachine, kEnvironment, name);
  }
  static std::string Text(const char* name) {
    const auto value = Stored(name);
    return value ? std::string(value->bytes.c_str()) : "<missing>";
  }

  setup::RunLog log;
};

TEST(ClassPath, NamesTheSixEntriesBelowTomcatWithoutTrailingSeparator) {
  EXPECT_EQ(setup::ClassPath(L"C:\\Tomcat"),
            L"C:\\Tomcat\\common\\lib\\servlet.jar;"
            L"C:\\Tomcat\\webapps\\tessal\\WEB-INF\\lib\\jcom.jar;"
            L"C:\\Tomcat\\webapps\\tessal\\WEB-INF\\lib\\poolman.jar;"
            L"C:\\Tomcat\\webapps\\tessal\\WEB-INF\\lib\\xercesImpl.jar;"
            L"C:\\Tomcat\\webapps\\tessal\\WEB-INF\\lib\\xmlParserAPIs.jar;"
            L"C:\\Tomcat\\webapps\\tessal\\WEB-INF\\classes");
}

TEST_F(EnvironmentTest, WritesTheThreeValuesAndAppendsTheJdkToPathKeepingItExpandable) {
  SetPath(L"%SystemRoot%\\system32;%SystemRoot%");
  host_double::PutString(kLocalMachine, kEnvironment, "CLASSPATH", "D:\\old.jar");
  EXPECT_TRUE(setup::EnvironmentStep(kRun, log));
  EXPECT_EQ(Text("CATALINA_HOME"), "C:\\Tomcat");
  EXPECT_EQ(Stored("CATALINA_HOME")->type, 1u);
  EXPECT_EQ(Text("CLASSPATH"), platform::ToAnsi(setup::ClassPath(L"C:\\Tomcat")))
      << "an earlier CLASSPATH is replaced";
  EXPECT_EQ(Text("JAVA_HOME"), "C:\\j2sdk1.4.2");
  EXPECT_EQ(Stored("JAVA_HOME")->type, 1u);
  EXPECT_EQ(StoredPath().text,
            L"%SystemRoot%\\system32;%SystemRoot%;C:\\j2sdk1.4.2\\bin" + std::wstring(1, L'\0'));
  EXPECT_EQ(StoredPath().type, 2u);
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

// Path is the machine's, shared with every program: it comes back as it was, each character and
// its type, however long, with the JDK added once.
struct PathCase {
  const char* name;
  std::wstring before;
  std::uint32_t type;
  std::wstring after;  // with its terminating NUL
};

class PathKept : public EnvironmentTest, public ::testing::WithParamInterface<PathCase> {};

const std::wstring kLongPath = L"C:\\Tools\\Zürich\\bin;" + std::wstring(2000, L'x');
const std::wstring kJdkBin = L";C:\\j2sdk1.4.2\\bin";
INSTANTIATE_TEST_SUITE_P(
    Environment, PathKept,
    ::testing::Values(PathCase{"LongerThanAnyBuffer", kLongPath, 2, kLongPath + kJdkBin + L'\0'},
                      PathCase{"CharactersNoCodePageHolds", L"C:\\Zürich;D:\\𠮷;E:\\Ωmega", 1,
                               L"C:\\Zürich;D:\\𠮷;E:\\Ωmega" + kJdkBin + L'\0'},
                      PathCase{"HoldingTheJdkInAnyCase", L"C:\\Zürich;c:\\J2SDK1.4.2\\BIN", 1,
                               std::wstring(L"C:\\Zürich;c:\\J2SDK1.4.2\\BIN") + L'\0'},
                      PathCase{"Empty", L"", 2, kJdkBin + L'\0'}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_P(PathKept, InEveryCharacterAndItsType) {
  SetPath(GetParam().before, GetParam().type);
  EXPECT_TRUE(setup::EnvironmentStep(kRun, log));
  EXPECT_EQ(StoredPath().text, GetParam().after);
  EXPECT_EQ(StoredPath().type, GetParam().type);
  EXPECT_FALSE(setup::EnvironmentStep(kRun, log)) << "a second run needs no restart";
  EXPECT_EQ(StoredPath().text, GetParam().after) << "a second run adds nothing";
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

TEST_F(EnvironmentTest, APathThatCannotBeReadIsNotWrittenButTheOtherValuesAre) {
  SetPath(L"C:\\WINDOWS");
  host_double::Fail(host_double::Call::kRegistryQuery, 5);
  EXPECT_TRUE(setup::EnvironmentStep(kRun, log));
  EXPECT_EQ(StoredPath().text, std::wstring(L"C:\\WINDOWS") + L'\0');
  EXPECT_EQ(Text("JAVA_HOME"), "C:\\j2sdk1.4.2");
  EXPECT_EQ(host_double::ShownMessages().size(), 1u) << "only the read failure is reported";
}

}  // namespace
