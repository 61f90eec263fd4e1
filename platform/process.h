// The running program: its single-instance guard and its folder.
#pragma once

#include <string>

namespace platform {

// True if another copy of this program is running. The first call takes a machine-wide named
// mutex and holds it until the program ends, so a later copy sees this one.
[[nodiscard]] bool IsPreviousInstanceRunning();

// The folder that holds the running program file, without a trailing "\".
[[nodiscard]] std::wstring SetupFolder();

}  // namespace platform
