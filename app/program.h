// The process around the run: the command line in, the run as it asks, an exit code out.
#pragma once

#include <string_view>

namespace app {

// Runs the setup once, as the whole command line (the program's name first) asks, and gives the
// program's exit code. Whatever ends the run early does so by app/failure_policy.h.
[[nodiscard]] int RunProgram(std::wstring_view commandLine);

}  // namespace app
