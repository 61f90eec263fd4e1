#include "setup/steps.h"

namespace setup {

void DeploymentStep(const RunValues& /*run*/) {}

}  // namespace setup
