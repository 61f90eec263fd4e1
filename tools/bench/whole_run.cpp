// whole_run SETUP_FOLDER JAVA_HOME TOMCAT_HOME [/verify]: a whole quiet run of the program over the
// double, from the check of the distribution in SETUP_FOLDER to the data source, with the JDK and
// Tomcat registered at the two folders; or the check of the machine that such a run leaves. Exits
// with the run's exit code (0 for a machine set up, whether or not it needs a restart), or 0 for a
// check that could tell (the double registers no data source, so it always finds that one
// difference).
#include <iostream>
#include <optional>
#include <string>

#include "app/program.h"
#include "arguments.h"
#include "platform/host/double_control.h"
#include "platform/registry.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  const bool verify = argc == 5 && std::string(argv[4]) == "/verify";
  if (argc != 4 && !verify) {
    std::cerr << "usage: whole_run SETUP_FOLDER JAVA_HOME TOMCAT_HOME [/verify]\n";
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
  if (verify) {
    const int code = app::RunProgram(L"setup.exe /verify /quiet");
    return code == 0 || code == 1 ? 0 : code;
  }
  // A fresh double's environment always changes, so a run that sets the machine up says 3010; the
  // script would see only its low byte, 194, and take it for a failure.
  const int code = app::RunProgram(L"setup.exe /quiet");
  return code == 3010 ? 0 : code;
}
