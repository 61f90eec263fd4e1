#include <array>
#include <string>

#include "common/folders.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/process.h"
#include "setup/checksums.h"
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

// The files that the rewrite needs after the copies, below the setup folder.
constexpr std::array<std::wstring_view, 3> kConfigurationFiles{
    L"\\J2SE\\jre\\lib\\logging.properties",
    L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\web.xml",
    L"\\TOMCAT\\webapps\\tessal\\WEB-INF\\classes\\poolman.xml",
};

// Whether the copy of the file's folder will take it: a plain file, neither hidden nor system.
bool IsDeployed(const std::wstring& file) {
  platform::DirectoryListing listing(file, platform::ListingAttributes::kPlainFiles);
  return !listing.Next().empty();
}

}  // namespace

void CheckDistribution() {
  const std::wstring setupFolder = platform::SetupFolder();
  for (const Deployment& row : kDeployments) {
    const std::wstring source = setupFolder + std::wstring(row.source);
    if (!platform::IsFolder(source)) {
      throw platform::SystemFailure(platform::kPathNotFound, source);
    }
  }
  for (const std::wstring_view name : kConfigurationFiles) {
    const std::wstring file = setupFolder + std::wstring(name);
    if (!IsDeployed(file)) {
      throw platform::SystemFailure(platform::kFileNotFound, file);
    }
  }
  CheckAgainstChecksums(setupFolder);
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
