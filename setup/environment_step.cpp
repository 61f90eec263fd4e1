#include "setup/environment_step.h"

#include "setup/deployments.h"

#include <array>
#include <optional>

#include "common/registry.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {
namespace {

namespace registry = platform::registry;

// Writes a REG_SZ value; whether it changed. A value that was there as it is written needed no
// change; one that cannot be read is taken as changed, which at worst asks for a restart.
bool SetEnvironment(std::wstring_view name, std::wstring_view value, RunLog& log) {
  const std::optional<common::RegistryText> before =
      common::FindRegistryText(kEnvironmentKey, name);
  const bool written = common::FU_SetRegistry(kEnvironmentKey, name, value, registry::kTypeString);
  log.EnvironmentValue(name, registry::kTypeString, written);
  return written && !(before && before->type == registry::kTypeString && before->text == value);
}

}  // namespace

std::wstring ClassPath(std::wstring_view tomcatHome) {
  std::wstring classPath;
  for (const std::wstring_view suffix : kClassPathSuffixes) {
    classPath += tomcatHome;
    classPath += suffix;
  }
  return classPath;
}

bool EnvironmentStep(const RunValues& run, RunLog& log) {
  // Read and written in UTF-16, whole and with its type: Path is the machine's, shared with every
  // program, and may hold any character and be of any length.
  const std::optional<common::RegistryText> currentPath =
      common::GetRegistryText(kEnvironmentKey, L"Path");

  // Each value is written, changed or not: a run repeats every step in full.
  bool changed = SetEnvironment(L"CATALINA_HOME", run.tomcatHome, log);
  changed = SetEnvironment(L"CLASSPATH", ClassPath(run.tomcatHome), log) || changed;
  changed = SetEnvironment(L"JAVA_HOME", run.javaHome, log) || changed;

  // Without the machine's Path there is nothing to add to: writing the JDK alone would replace it.
  if (!currentPath) {
    log.PathLeft(L"it could not be read");
    return changed;
  }
  const std::wstring javaBin = run.javaHome + L"\\bin";
  // The folder names in Path are file names, which Windows compares without regard to case.
  if (platform::ContainsIgnoringCase(currentPath->text, javaBin)) {
    log.PathLeft(L"it already holds " + javaBin);
    return changed;
  }
  // Of the type it had: the %SystemRoot% entries of an expandable Path must stay references.
  const common::RegistryText path{currentPath->text + L";" + javaBin, currentPath->type};
  const bool written = common::FU_SetRegistryText(kEnvironmentKey, L"Path", path);
  log.EnvironmentValue(L"Path", path.type, written);
  return written || changed;
}

}  // namespace setup
