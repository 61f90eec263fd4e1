#include "setup/steps.h"

namespace setup {

void ConfigurationStep(const RunValues& /*run*/) {}

}  // namespace setup
