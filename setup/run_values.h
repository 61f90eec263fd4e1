// The values that a run finds once at its start and hands to every step.
#pragma once

#include <string>

namespace setup {

struct RunValues {
  // The folders as the registry holds them, without a trailing "\" or "/" (a drive's root keeps
  // its own).
  std::wstring javaHome;         // the JDK 1.4 folder
  std::wstring tomcatHome;       // the Tomcat 4.1 folder
  std::wstring tomcatHomeSlash;  // tomcatHome with every "\" turned into "/"
};

}  // namespace setup
