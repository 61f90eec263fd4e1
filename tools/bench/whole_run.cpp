// whole_run SETUP_FOLDER JAVA_HOME TOMCAT_HOME: a whole quiet run of the program over the double,
// from the check of the distribution in SETUP_FOLDER to the data source, with the JDK and Tomcat
// registered at the two folders. Exits with the run's exit code.
#include <iostream>
#include <optional>
#include <string>

#include "app/program.h"
#include "arguments.h"
#include "platform/host/double_control.h"
#include "platform/registry.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: whole_run SETUP_FOLDER JAVA_HOME TOMCAT_HOME\n";
    return 2;
  }
  // The run takes only a full path for a product; the double's drive C: is the host's root.
  const std::optional<std::wstring> setupFolder = bench::AsciiPath(argv[1]);
  const std::optional<std::wstring> javaHome = bench::AsciiPath(std::string("C:") + argv[2]);
  const std::optional<std::wstring> tomcatHome = bench::AsciiPath(std::string("C:") + argv[3]);
  if (!setupFolder || !javaHome || !tomcatHome) {
    std::cerr << "whole_run: paths must be ASCII\n";
    return 2;
  }
  using platform::registry::kLocalMachine;
  host_double::PutString(kLocalMachine, "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4", "JavaHome",
                         platform::ToAnsi(*javaHome));
  host_double::PutString(kLocalMachine, "SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1", "",
                         platform::ToAnsi(*tomcatHome));
  host_double::SetSetupFolder(*setupFolder);
  return app::RunProgram(L"setup.exe /quiet");
}
