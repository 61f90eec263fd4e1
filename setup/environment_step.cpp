#include "setup/environment_step.h"

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

constexpr std::array<std::wstring_view, 6> kClassPathSuffixes{
    L"\\common\\lib\\servlet.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\jcom.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\poolman.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\xercesImpl.jar;",
    L"\\webapps\\tessal\\WEB-INF\\lib\\xmlParserAPIs.jar;",
    L"\\webapps\\tessal\\WEB-INF\\classes",
};

void SetEnvironment(std::wstring_view name, std::wstring_view value, std::int16_t type,
                    RunLog& log) {
  log.EnvironmentValue(name, static_cast<std::uint32_t>(type),
                       common::FU_SetRegistry(kEnvironmentKey, name, value, type));
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

void EnvironmentStep(const RunValues& run, RunLog& log) {
  // Read and written in UTF-16, whole and with its type: Path is the machine's, shared with every
  // program, and may hold any character and be of any length.
  const std::optional<common::RegistryText> currentPath =
      common::GetRegistryText(kEnvironmentKey, L"Path");

  SetEnvironment(L"CATALINA_HOME", run.tomcatHome, registry::kTypeString, log);
  SetEnvironment(L"CLASSPATH", ClassPath(run.tomcatHome), registry::kTypeString, log);
  SetEnvironment(L"JAVA_HOME", run.javaHome, registry::kTypeString, log);

  // Without the machine's Path there is nothing to add to: writing the JDK alone would replace it.
  if (!currentPath) {
    log.PathLeft(L"it could not be read");
    return;
  }
  const std::wstring javaBin = run.javaHome + L"\\bin";
  // The folder names in Path are file names, which Windows compares without regard to case.
  if (platform::ContainsIgnoringCase(currentPath->text, javaBin)) {
    log.PathLeft(L"it already holds " + javaBin);
    return;
  }
  // Of the type it had: the %SystemRoot% entries of an expandable Path must stay references.
  const common::RegistryText path{currentPath->text + L";" + javaBin, currentPath->type};
  log.EnvironmentValue(L"Path", path.type,
                       common::FU_SetRegistryText(kEnvironmentKey, L"Path", path));
}

}  // namespace setup
