#include <array>
#include <string>

#include "common/folders.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/process.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {
namespace {

enum class Base { kJavaHome, kTomcatHome };

struct Deployment {
  std::wstring_view source;  // below the setup folder
  Base base;
  std::wstring_view destination;  // below the base folder
};

// Folders are made one level at a time, so every destination's parent must be a product folder
// or the destination of an earlier row: the order of the rows matters.
constexpr std::array<Deployment, 12> kDeployments{{
    {L"\\J2SE\\bin", Base::kJavaHome, L"\\bin"},
    {L"\\J2SE\\jre\\lib", Base::kJavaHome, L"\\jre\\lib"},
    {L"\\TOMCAT\\conf", Base::kTomcatHome, L"\\conf"},
    {L"\\TOMCAT\\webapps\\tessal", Base::kTomcatHome, L"\\webapps\\tessal"},
    {L"\\TOMCAT\\webapps\\tessal\\images", Base::kTomcatHome, L"\\webapps\\tessal\\images"},
    {L"\\TOMCAT\\webapps\\tessal\\logs", Base::kTomcatHome, L"\\webapps\\tessal\\logs"},
    {L"\\TOMCAT\\webapps\\tessal\\temp", Base::kTomcatHome, L"\\webapps\\tessal\\temp"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF", Base::kTomcatHome, L"\\webapps\\tessal\\WEB-INF"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes", Base::kTomcatHome,
     L"\\webapps\\tessal\\WEB-INF\\classes"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes\\tessalLib", Base::kTomcatHome,
     L"\\webapps\\tessal\\WEB-INF\\classes\\tessalLib"},
    {L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\lib", Base::kTomcatHome,
     L"\\webapps\\tessal\\WEB-INF\\lib"},
    {L"\\TOMCAT\\webapps\\tessal\\xls", Base::kTomcatHome, L"\\webapps\\tessal\\xls"},
}};

}  // namespace

void CheckDistribution() {
  for (const Deployment& row : kDeployments) {
    const std::wstring source = platform::SetupFolder() + std::wstring(row.source);
    if (!platform::IsFolder(source)) {
      throw platform::SystemFailure(platform::kPathNotFound, source);
    }
  }
}

void DeploymentStep(const RunValues& run, RunLog& log) {
  for (const Deployment& row : kDeployments) {
    const std::wstring& base = row.base == Base::kJavaHome ? run.javaHome : run.tomcatHome;
    const std::wstring source = platform::SetupFolder() + std::wstring(row.source);
    const std::wstring destination = base + std::wstring(row.destination);
    log.Deployed(source, destination, common::FU_CopyFolder(source, destination));
  }
}

}  // namespace setup
