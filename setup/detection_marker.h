// The detection marker: the one registry value that says a run of this program set the machine
// up, and with which version, for the detection rules of Intune, Configuration Manager and
// Ansible. It lies in the program's own registry view, below WOW6432Node on 64-bit Windows for the
// 32-bit program, beside the products it found there.
#pragma once

#include <string_view>

#include "setup/run_log.h"

namespace setup {

inline constexpr std::wstring_view kMarkerKey = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\tessal\\Setup";
inline constexpr std::wstring_view kMarkerValue = L"Version";

// Takes the marker away, so that until the run has set the machine up nothing says it is. A key
// or value that is not there is none to take; any other failure ends the run before it changes
// anything, since a marker it cannot take might outlive a run that fails.
void ForgetSetUp();

// Writes the program's version as the marker. False after a failure, which the registry routine
// has reported.
[[nodiscard]] bool MarkSetUp(std::wstring_view version, RunLog& log);

}  // namespace setup
