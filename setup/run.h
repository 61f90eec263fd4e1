// The setup run: the program's one entry into the work, its steps taken once from top to bottom.
#pragma once

#include <string>
#include <string_view>

#include "setup/outcome.h"
#include "setup/run_log.h"

namespace setup {

// Runs the steps in order and gives the run's outcome. Tells the log what the run found and did;
// the messages reach it on their own way, and through it the run learns whether one reported a
// problem. A failure that no routine traps leaves this function: app/failure_policy.h says what it
// does to the run. version is the program's, which the detection marker records.
[[nodiscard]] Outcome Main(RunLog& log, std::wstring_view version);

// Whether another copy of the program is running, which then has been said.
[[nodiscard]] bool AnotherCopyIsRunning();

// The folder with every "\" replaced by "/", the form that Java's property and XML files take.
[[nodiscard]] std::wstring WithSlashes(std::wstring_view folder);

}  // namespace setup
