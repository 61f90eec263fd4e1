// The four steps of a run, in the order the run takes them.
#pragma once

#include "setup/run_values.h"

namespace setup {

// Writes CATALINA_HOME, CLASSPATH and JAVA_HOME and puts the JDK's bin folder on Path.
void EnvironmentStep(const RunValues& run);
// Copies the packaged J2SE and TOMCAT folders into the product folders.
void DeploymentStep(const RunValues& run);
// Backs up and rewrites the configuration files so that they name the real Tomcat folder.
void ConfigurationStep(const RunValues& run);
// Replaces the ODBC system data source of the application's database.
void DataSourceStep(const RunValues& run);

}  // namespace setup
