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
  static void SetPath(const std::string& path) {
    host_double::PutString(kLocalMachine, kEnvironment, "Path", path,
                           platform::registry::kTypeExpandString);
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
  SetPath("%SystemRoot%\\system32;%SystemRoot%");
  host_double::PutString(kLocalMachine, kEnvironment, "CLASSPATH", "D:\\old.jar");
  setup::EnvironmentStep(kRun, log);
  EXPECT_EQ(Text("CATALINA_HOME"), "C:\\Tomcat");
  EXPECT_EQ(Stored("CATALINA_HOME")->type, 1u);
  EXPECT_EQ(Text("CLASSPATH"), platform::ToAnsi(setup::ClassPath(L"C:\\Tomcat")))
      << "an earlier CLASSPATH is replaced";
  EXPECT_EQ(Text("JAVA_HOME"), "C:\\j2sdk1.4.2");
  EXPECT_EQ(Stored("JAVA_HOME")->type, 1u);
  EXPECT_EQ(Text("Path"), "%SystemRoot%\\system32;%SystemRoot%;C:\\j2sdk1.4.2\\bin");
  EXPECT_EQ(Stored("Path")->type, 2u);
  EXPECT_TRUE(host_double::ShownMessages().empty());
}

TEST_F(EnvironmentTest, APathThatHoldsTheJdkInAnyCaseIsLeftAlone) {
  SetPath("C:\\WINDOWS\\system32;c:\\J2SDK1.4.2\\BIN");
  setup::EnvironmentStep(kRun, log);
  EXPECT_EQ(Text("Path"), "C:\\WINDOWS\\system32;c:\\J2SDK1.4.2\\BIN");
  setup::EnvironmentStep(kRun, log);
  EXPECT_EQ(Text("Path"), "C:\\WINDOWS\\system32;c:\\J2SDK1.4.2\\BIN");
}

TEST_F(EnvironmentTest, ASecondRunAppendsNothing) {
  SetPath("C:\\WINDOWS\\system32");
  setup::EnvironmentStep(kRun, log);
  setup::EnvironmentStep(kRun, log);
  EXPECT_EQ(Text("Path"), "C:\\WINDOWS\\system32;C:\\j2sdk1.4.2\\bin");
}

TEST_F(EnvironmentTest, AnEmptyPathGetsTheJdkAfterASeparator) {
  SetPath("");
  setup::EnvironmentStep(kRun, log);
  EXPECT_EQ(Text("Path"), ";C:\\j2sdk1.4.2\\bin");
}

TEST_F(EnvironmentTest, AnUnreadablePathIsNotWrittenButTheOtherValuesAre) {
  SetPath(std::string(510, 'x'));  // longer than the read buffer
  setup::EnvironmentStep(kRun, log);
  EXPECT_EQ(Text("Path"), std::string(510, 'x'));
  EXPECT_EQ(Text("JAVA_HOME"), "C:\\j2sdk1.4.2");
  EXPECT_EQ(host_double::ShownMessages().size(), 1u) << "only the read failure is reported";
}

}  // namespace
