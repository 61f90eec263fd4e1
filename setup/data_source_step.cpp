#include "setup/steps.h"

namespace setup {

void DataSourceStep(const RunValues& /*run*/) {}

}  // namespace setup
