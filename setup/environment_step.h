// The machine-wide environment of the JDK and Tomcat, written where Windows builds the system
// environment from.
#pragma once

#include <string>
#include <string_view>

namespace setup {

inline constexpr std::wstring_view kEnvironmentKey =
    L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// The application's class path below the Tomcat folder, without a trailing ";".
[[nodiscard]] std::wstring ClassPath(std::wstring_view tomcatHome);

}  // namespace setup
