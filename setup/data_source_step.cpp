#include "common/data_source.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {

// The old data source goes first, so that the new one holds exactly the attributes given here,
// whatever was set by hand before.
void DataSourceStep(const RunValues& run, RunLog& log) {
  log.DataSourceRemoved(L"TESSAL", common::RemoveDataSource(L"TESSAL"));
  const std::wstring database = run.tomcatHome + L"\\webapps\\tessal\\TESSAL.mdb";
  log.DataSourceAdded(L"TESSAL", database, common::AddDataSource(L"TESSAL", database));
}

}  // namespace setup
