// The setup run: the program's one entry into the work, run once from top to bottom.
#pragma once

#include <string>
#include <string_view>

#include "setup/exit_code.h"

namespace setup {

ExitCode Main();

// The folder with every "\" replaced by "/", the form that Java's property and XML files take.
std::wstring WithSlashes(std::wstring_view folder);

}  // namespace setup
