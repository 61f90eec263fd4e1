// What the program's entry point runs: the setup, and the report of a failure that no routine
// trapped.
#pragma once

#include <string>

#include "platform/failure.h"

namespace app {

// Runs the setup once and gives the program's exit code. A failure that reaches this far is shown
// to the user with its number and description, and the program ends with code 1.
int Run();

// The failure's number and description, and on a line of its own the file or folder it concerned,
// so that an administrator knows what to look at.
std::wstring FailureReport(const platform::Failure& failure);

}  // namespace app
