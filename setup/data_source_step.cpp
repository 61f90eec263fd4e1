#include "common/data_source.h"
#include "setup/steps.h"

namespace setup {

// The old data source goes first, so that the new one holds exactly the attributes given here,
// whatever was set by hand before.
void DataSourceStep(const RunValues& run) {
  common::RemoveDataSource(L"TESSAL");
  common::AddDataSource(L"TESSAL", run.tomcatHome + L"\\webapps\\tessal\\TESSAL.mdb");
}

}  // namespace setup
