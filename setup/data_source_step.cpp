#include "common/data_source.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {

// The old data source goes first, so that the new one holds exactly the attributes given here,
// whatever was set by hand before.
void DataSourceStep(const RunValues& run, RunLog& log) {
  log.DataSourceRemoved(kDataSourceName, common::RemoveDataSource(kDataSourceName));
  const std::wstring database = DatabaseFile(run);
  log.DataSourceAdded(kDataSourceName, database, common::AddDataSource(kDataSourceName, database));
}

std::wstring DatabaseFile(const RunValues& run) {
  return run.tomcatHome + L"\\webapps\\tessal\\TESSAL.mdb";
}

}  // namespace setup
