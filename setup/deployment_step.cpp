#include <string>

#include "common/folders.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/process.h"
#include "setup/checksums.h"
#include "setup/deployments.h"
#include "setup/run_log.h"
#include "setup/steps.h"

namespace setup {
namespace {

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
      throw platform::SystemFailure(platform::ErrorCode::kPathNotFound, source);
    }
  }
  for (const std::wstring_view name : kConfigurationFiles) {
    const std::wstring file = setupFolder + std::wstring(name);
    if (!IsDeployed(file)) {
      throw platform::SystemFailure(platform::ErrorCode::kFileNotFound, file);
    }
  }
  CheckAgainstChecksums(setupFolder);
}

void DeploymentStep(const RunValues& run, RunLog& log) {
  for (const Deployment& row : kDeployments) {
    const std::wstring source = platform::SetupFolder() + std::wstring(row.source);
    const std::wstring destination = BaseFolder(run, row.base) + std::wstring(row.destination);
    log.Deployed(source, destination, common::FU_CopyFolder(source, destination));
  }
}

}  // namespace setup
