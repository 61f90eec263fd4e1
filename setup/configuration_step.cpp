#include <array>

#include "platform/ui.h"
#include "setup/configuration_rewrite.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {

void ConfigurationStep(const RunValues& run, RunLog& log) {
  struct Rewrite {
    std::wstring file;
    std::wstring backup;
    Reader reader;
    std::wstring_view search;
    FolderLine replacement;
  };
  const std::wstring webInf = run.tomcatHome + L"\\webapps\\tessal\\WEB-INF";
  const std::array<Rewrite, 3> rewrites{{
      {run.javaHome + L"\\jre\\lib\\logging.properties",
       run.javaHome + L"\\jre\\lib\\logging.org",
       Reader::kFileHandlerPattern,
       L"C:/TOMCAT",
       {L"java.util.logging.FileHandler.pattern = ",
        run.tomcatHomeSlash + L"/webapps/tessal/logs/system.log", L""}},
      {webInf + L"\\web.xml",
       webInf + L"\\web.org",
       Reader::kXml,
       L"C:\\TOMCAT",
       {L"    <param-value>", run.tomcatHome + L"\\webapps\\tessal\\", L"</param-value>"}},
      {webInf + L"\\classes\\poolman.xml",
       webInf + L"\\classes\\poolman.org",
       Reader::kXml,
       L"C:/TOMCAT",
       {L"    <logFile>", run.tomcatHomeSlash + L"/webapps/tessal/logs/poolman.log",
        L"</logFile>"}},
  }};
  for (const Rewrite& rewrite : rewrites) {
    const RewriteCounts counts = RewriteFile(rewrite.file, rewrite.backup, rewrite.reader,
                                             rewrite.search, rewrite.replacement);
    // The application then reads the file as the distribution shipped it, naming C:\TOMCAT: a
    // problem for the administrator, not a reason to leave the data source unregistered.
    if (counts.notText) {
      platform::ShowMessage(
          L"設定ファイルがテキストとして読めないため、書き換えませんでした。\r" + rewrite.file,
          platform::box::kCritical);
    }
    log.Rewritten(rewrite.file, rewrite.backup, counts);
  }
}

}  // namespace setup
