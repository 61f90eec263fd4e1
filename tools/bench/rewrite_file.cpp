// rewrite_file FILE BACKUP: the rewrite of poolman.xml by the configuration step, with the
// folder names of a machine whose Tomcat is on D:.
#include <iostream>
#include <optional>
#include <string>

#include "arguments.h"
#include "platform/failure.h"
#include "setup/configuration_rewrite.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: rewrite_file FILE BACKUP\n";
    return 2;
  }
  const std::optional<std::wstring> file = bench::AsciiPath(argv[1]);
  const std::optional<std::wstring> backup = bench::AsciiPath(argv[2]);
  if (!file || !backup) {
    std::cerr << "rewrite_file: paths must be ASCII\n";
    return 2;
  }
  try {
    (void)setup::RewriteFile(
        {*file,
         *backup,
         setup::Reader::kXml,
         L"C:/TOMCAT",
         {L"    <logFile>", L"D:/Tomcat/webapps/tessal/logs/poolman.log", L"</logFile>"}});
  } catch (const platform::Failure& failure) {
    std::cerr << "rewrite_file: failure " << failure.number() << "\n";
    return 1;
  }
  return 0;
}
