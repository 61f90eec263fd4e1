// The setup run: the program's one entry into the work, its steps taken once from top to bottom.
#pragma once

#include <string>
#include <string_view>

#include "setup/exit_code.h"
#include "setup/run_log.h"

namespace setup {

// Runs the steps in order and gives the run's exit code. Tells the log what the run found and did;
// the messages reach it on their own way. A failure that no routine traps leaves this function:
// app/failure_policy.h says what it does to the run.
ExitCode Main(RunLog& log);

// The folder with every "\" replaced by "/", the form that Java's property and XML files take.
std::wstring WithSlashes(std::wstring_view folder);

}  // namespace setup
