#include "setup/run.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "common/error_trap.h"
#include "platform/process.h"
#include "platform/ui.h"
#include "setup/detection_marker.h"
#include "setup/products.h"
#include "setup/steps.h"

namespace setup {
namespace {

namespace box = platform::box;

constexpr std::wstring_view kInstallFirst = L"\r先にインストールを行って下さい。";

// A product's folder, or nothing after the run has said why there is none. "ERROR" has been
// reported by the registry routine already and is no folder to write anywhere.
std::optional<std::wstring> InstalledFolder(const Product& product, RunLog& log) {
  ProductFolder found = FindProductFolder(product);
  log.Product(product, found);
  switch (found.state) {
    case ProductFolder::State::kFound:
      return std::move(found.folder);
    case ProductFolder::State::kUnreadable:
      return std::nullopt;
    case ProductFolder::State::kKeyMissing:
    case ProductFolder::State::kNoFolderName:
    case ProductFolder::State::kNotFullPath:
    case ProductFolder::State::kFolderMissing:
      break;
  }
  platform::ShowMessage(std::wstring(product.notInstalled) + std::wstring(kInstallFirst),
                        box::kCritical);
  return std::nullopt;
}

// The steps that change the machine, in their order, under the hourglass; whether a system
// environment value changed. A failure that leaves a step leaves the steps after it untaken and
// the pointer restored.
bool ChangeTheMachine(const RunValues& run, RunLog& log) {
  const platform::BusyPointer busy;
  const bool environmentChanged = EnvironmentStep(run, log);
  DeploymentStep(run, log);
  ConfigurationStep(run, log);
  DataSourceStep(run, log);
  return environmentChanged;
}

// A machine counts as set up only where no message reported a problem; only then does the marker
// say so, and it is the last thing the run changes.
Outcome Conclude(bool environmentChanged, std::wstring_view version, RunLog& log) {
  if (log.ProblemReported() || !MarkSetUp(version, log)) {
    return Outcome::kProblemReported;
  }
  // Windows builds a service's environment when the service starts, and the run announces
  // nothing to running programs: what it wrote takes effect for them after a restart.
  return environmentChanged ? Outcome::kSetUpRestartRequired : Outcome::kSetUp;
}

}  // namespace

std::wstring WithSlashes(std::wstring_view folder) {
  std::wstring slashed(folder);
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  return slashed;
}

bool AnotherCopyIsRunning() {
  if (!platform::IsPreviousInstanceRunning()) {
    return false;
  }
  platform::ShowMessage(L"setup.exeは既に起動されています。", box::kCritical,
                        common::kWarningCaption);
  return true;
}

Outcome Main(RunLog& log, std::wstring_view version) {
  if (AnotherCopyIsRunning()) {
    return Outcome::kAlreadyRunning;
  }
  const int answer = platform::ShowMessage(L"セットアップを開始してよろしいですか？",
                                           box::kYesNo | box::kInformation);
  if (answer != box::kYes) {
    // Only Yes is consent. A box that could not be shown answers 0, and no one has said Yes.
    return answer == box::kNo ? Outcome::kDeclined : Outcome::kFailed;
  }

  const auto javaHome = InstalledFolder(kJdk, log);
  if (!javaHome) {
    return Outcome::kProductMissing;
  }
  const auto tomcatHome = InstalledFolder(kTomcat, log);
  if (!tomcatHome) {
    return Outcome::kProductMissing;
  }
  const RunValues run{*javaHome, *tomcatHome, WithSlashes(*tomcatHome)};
  CheckDistribution();

  // Before the first change: a run that stops half way must not leave an earlier run's marker to
  // call the machine set up.
  ForgetSetUp();
  const bool environmentChanged = ChangeTheMachine(run, log);

  const Outcome outcome = Conclude(environmentChanged, version, log);
  platform::ShowMessage(L"セットアップが完了しました。", box::kInformation);
  return outcome;
}

}  // namespace setup
