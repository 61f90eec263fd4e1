#include <gmock/gmock.h>

#include "double_fixture.h"
#include "machine.h"
#include "platform/failure.h"
#include "setup/steps.h"

namespace {

using test_support::Exists;
using test_support::ReadBytes;

class DeploymentTest : public DoubleTest {
 protected:
  setup::RunValues Run() const {
    return {machine.javaHome, machine.tomcatHome, machine.tomcatHome};
  }
  std::wstring Packed(const std::wstring& folder) const { return machine.distribution + folder; }

  FakeMachine machine;
  setup::RunLog log;
};

TEST_F(DeploymentTest, EveryRowLandsInItsFolderAndNothingElse) {
  machine.Put(Packed(L"\\J2SE\\bin"), L"java.dll", "bin");
  machine.Put(Packed(L"\\J2SE\\jre\\lib"), L"logging.properties", "props");
  machine.Put(Packed(L"\\TOMCAT\\conf"), L"server.xml", "conf");
  machine.Put(Packed(L"\\TOMCAT\\webapps\\tessal"), L"index.jsp", "jsp");
  machine.Put(Packed(L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes\\tessalLib"), L"A.class", "cls");
  machine.Put(Packed(L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\src"), L"A.java", "source");
  machine.Put(Packed(L"\\TOMCAT\\webapps\\tessal\\xls"), L"form.xls", "xls");

  setup::DeploymentStep(Run(), log);
  EXPECT_EQ(ReadBytes(machine.javaHome + L"\\bin\\java.dll"), "bin");
  EXPECT_EQ(ReadBytes(machine.javaHome + L"\\jre\\lib\\logging.properties"), "props");
  EXPECT_EQ(ReadBytes(machine.tomcatHome + L"\\conf\\server.xml"), "conf");
  EXPECT_EQ(ReadBytes(machine.tomcatHome + L"\\webapps\\tessal\\index.jsp"), "jsp");
  EXPECT_EQ(
      ReadBytes(machine.tomcatHome + L"\\webapps\\tessal\\WEB-INF\\classes\\tessalLib\\A.class"),
      "cls");
  EXPECT_EQ(ReadBytes(machine.tomcatHome + L"\\webapps\\tessal\\xls\\form.xls"), "xls");
  // Rows with an empty or missing source still make their folder; a folder without a row is left.
  EXPECT_TRUE(test_support::IsFolder(machine.tomcatHome + L"\\webapps\\tessal\\logs"));
  EXPECT_FALSE(Exists(machine.tomcatHome + L"\\webapps\\tessal\\WEB-INF\\src"));
  EXPECT_TRUE(host_double::ShownMessages().empty());

  setup::DeploymentStep(Run(), log);
  EXPECT_EQ(ReadBytes(machine.javaHome + L"\\bin\\java.dll"), "bin");
}

TEST_F(DeploymentTest, AFileThatCannotBeCopiedStopsTheStepAfterTheEarlierRows) {
  machine.Put(Packed(L"\\J2SE\\bin"), L"java.dll", "bin");
  machine.Put(Packed(L"\\TOMCAT\\conf"), L"server.xml", "conf");
  machine.Put(Packed(L"\\TOMCAT\\webapps\\tessal"), L"index.jsp", "jsp");
  test_support::MakeFolders(machine.tomcatHome + L"\\conf\\server.xml");  // a folder in the way

  EXPECT_THROW(setup::DeploymentStep(Run(), log), platform::Failure);
  EXPECT_EQ(ReadBytes(machine.javaHome + L"\\bin\\java.dll"), "bin");
  EXPECT_FALSE(Exists(machine.tomcatHome + L"\\webapps\\tessal"));
}

}  // namespace
