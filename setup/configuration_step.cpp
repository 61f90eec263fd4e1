#include "platform/ui.h"
#include "setup/configuration_rewrite.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {

void ConfigurationStep(const RunValues& run, RunLog& log) {
  for (const ConfigurationFile& rewrite : ConfigurationFiles(run)) {
    const RewriteCounts counts = RewriteFile(rewrite);
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
