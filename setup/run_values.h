// The values that a run finds once at its start and hands to every step.
#pragma once

#include <string>

namespace setup {

struct RunValues {
  std::wstring javaHome;         // the JDK 1.4 folder, as the registry holds it
  std::wstring tomcatHome;       // the Tomcat 4.1 folder, as the registry holds it
  std::wstring tomcatHomeSlash;  // tomcatHome with every "\" turned into "/"
};

}  // namespace setup
