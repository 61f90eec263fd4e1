// The four steps of a run, in the order the run takes them. Each tells the run's log what it did.
#pragma once

#include "setup/run_log.h"
#include "setup/run_values.h"

namespace setup {

// Fails before the run changes anything unless the distribution is whole: its twelve packaged
// folders, the three configuration files that the rewrite needs, and, where SHA256SUMS lies
// beside the program, every file it lists with its digest. The failure names the first folder or
// file that is missing or different, or the list's line that is malformed. A copy of the
// distribution that stopped half way must not pass for a whole one.
void CheckDistribution();
// Writes CATALINA_HOME, CLASSPATH and JAVA_HOME and puts the JDK's bin folder on Path; whether any
// of the four values changed.
[[nodiscard]] bool EnvironmentStep(const RunValues& run, RunLog& log);
// Copies the packaged J2SE and TOMCAT folders into the product folders.
void DeploymentStep(const RunValues& run, RunLog& log);
// Backs up and rewrites the configuration files so that they name the real Tomcat folder.
void ConfigurationStep(const RunValues& run, RunLog& log);
// The application's data source and the Access database it names.
inline constexpr std::wstring_view kDataSourceName = L"TESSAL";
[[nodiscard]] std::wstring DatabaseFile(const RunValues& run);

// Replaces the ODBC system data source of the application's database.
void DataSourceStep(const RunValues& run, RunLog& log);

}  // namespace setup
