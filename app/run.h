// What the program's entry point runs: the setup as the command line asks for it, and the report
// of a failure that no routine trapped.
#pragma once

#include <string>
#include <string_view>

#include "platform/failure.h"

namespace app {

// Runs the setup once, as the whole command line (the program's name first) asks, and gives the
// program's exit code. A failure that reaches this far is reported with its number and
// description, and the program ends with code 1.
int Run(std::wstring_view commandLine);

// The failure's number and description, and on a line of its own the file or folder it concerned,
// so that an administrator knows what to look at.
std::wstring FailureReport(const platform::Failure& failure);

}  // namespace app
