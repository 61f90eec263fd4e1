// The program that the driver runs and answers for.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "owned_handle.h"

namespace mbdriver {

struct Program {
  msgbox_driver::OwnedKernelObject process;
  DWORD processId = 0;
};

// Starts PROGRAM ARGS... in the program's own folder, as Explorer does. Each argument reaches it
// quoted as the C runtime reads it back; `line` follows them as it is, for a line that no quoting
// would make. With a station, the program runs on a desktop of a window station of that name that
// the driver makes, which is not visible.
std::optional<Program> StartProgram(const std::vector<std::wstring>& command,
                                    const std::optional<std::wstring>& line,
                                    const std::optional<std::wstring>& station);

// Ends the program at once with the exit code, and waits a little for it to be gone.
void Kill(const Program& program, int exitCode);

}  // namespace mbdriver
