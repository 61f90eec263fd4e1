#include "setup/steps.h"

namespace setup {

void EnvironmentStep(const RunValues& /*run*/) {}

}  // namespace setup
