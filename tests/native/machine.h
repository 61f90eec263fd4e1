// A machine for a whole run on the double: the two products installed in a throwaway folder and
// registered, and a distribution folder beside the program holding the packaged trees.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/host/double_control.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "setup/deployments.h"
#include "support/test_files.h"

class FakeMachine {
 public:
  static constexpr char kMarkerSubKey[] = "SOFTWARE\\tessal\\Setup";

  FakeMachine()
      : javaHome(root / L"jdk"), tomcatHome(root / L"tomcat"), distribution(root / L"dist") {
    test_support::MakeFolders(javaHome + L"\\jre");
    test_support::MakeFolders(tomcatHome + L"\\webapps");
    for (const setup::Deployment& row : setup::kDeployments) {
      test_support::MakeFolders(distribution + std::wstring(row.source));
    }
    host_double::SetSetupFolder(distribution);
  }

  // The detection marker's version as stored, or nothing; and an earlier run's marker.
  static std::optional<std::wstring> Marker() {
    const auto value =
        host_double::GetText(platform::registry::kLocalMachine, kMarkerSubKey, "Version");
    return value ? std::optional(value->text) : std::nullopt;
  }
  static void PutMarker(std::wstring_view version) {
    host_double::PutText(platform::registry::kLocalMachine, kMarkerSubKey, "Version", version);
  }

  void RegisterJdk(const std::wstring& folder) const {
    host_double::PutString(platform::registry::kLocalMachine,
                           "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4", "JavaHome",
                           platform::ToAnsi(folder));
  }
  void RegisterTomcat(const std::wstring& folder) const {
    host_double::PutString(platform::registry::kLocalMachine,
                           "SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1", "",
                           platform::ToAnsi(folder));
  }
  void RegisterProducts() const {
    RegisterJdk(javaHome);
    RegisterTomcat(tomcatHome);
  }

  // One file in the folder, creating the folder and its parents.
  void Put(const std::wstring& folder, const std::wstring& name, std::string_view bytes) const {
    test_support::MakeFolders(folder);
    test_support::WriteBytes(folder + L"\\" + name, bytes);
  }

  // The three configuration files in the distribution, each naming the placeholder folder.
  void PackConfigurationFiles() const {
    Put(distribution + L"\\J2SE\\jre\\lib", L"logging.properties",
        "handlers = java.util.logging.FileHandler\r\n"
        "java.util.logging.FileHandler.pattern = C:/TOMCAT/webapps/tessal/logs/system.log\r\n");
    Put(distribution + L"\\TOMCAT\\webapps\\tessal\\WEB-INF", L"web.xml",
        "<web-app>\r\n  "
        "<param-value>C:\\TOMCAT\\webapps\\tessal\\</param-value>\r\n</web-app>\r\n");
    Put(distribution + L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes", L"poolman.xml",
        "<poolman>\r\n  <logFile>C:/TOMCAT/webapps/tessal/logs/poolman.log</logFile>\r\n"
        "</poolman>\r\n");
  }

  test_support::TempFolder root;
  const std::wstring javaHome;
  const std::wstring tomcatHome;
  const std::wstring distribution;
};
