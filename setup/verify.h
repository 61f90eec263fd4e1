// The check of a machine (/verify): whether it is as a run from this distribution leaves it, and
// where it differs, without changing anything. It compares in the run's order: the products, the
// distribution, the system environment, the deployed and rewritten files, the data source and the
// detection marker.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "setup/difference.h"
#include "setup/outcome.h"
#include "setup/run_log.h"

namespace setup {

// Every difference, in the run's order. Reads only; fails (platform::Failure) naming what it
// could not read, or what the distribution lacks, when it cannot tell.
[[nodiscard]] std::vector<Difference> CompareMachine(RunLog& log, std::wstring_view version);

// The check as the program runs it: the instance guard like a run, no question, each difference
// in the log, and one box at the end that says the machine is set up or lists how it differs.
[[nodiscard]] Outcome Verify(RunLog& log, std::wstring_view version);

// The box of a machine that differs: how many differences, and the first ten, one a line.
[[nodiscard]] std::wstring DifferencesMessage(const std::vector<Difference>& differences);

}  // namespace setup
