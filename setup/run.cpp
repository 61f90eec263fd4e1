#include "setup/run.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "common/error_trap.h"
#include "platform/process.h"
#include "platform/ui.h"
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

// The steps that change the machine, in their order, under the hourglass. A failure that leaves a
// step leaves the steps after it untaken and the pointer restored.
void ChangeTheMachine(const RunValues& run, RunLog& log) {
  const platform::BusyPointer busy;
  EnvironmentStep(run, log);
  DeploymentStep(run, log);
  ConfigurationStep(run, log);
  DataSourceStep(run, log);
}

}  // namespace

std::wstring WithSlashes(std::wstring_view folder) {
  std::wstring slashed(folder);
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  return slashed;
}

ExitCode Main(RunLog& log) {
  if (platform::IsPreviousInstanceRunning()) {
    platform::ShowMessage(L"setup.exeは既に起動されています。", box::kCritical,
                          common::kWarningCaption);
    return ExitCode::kAlreadyRunning;
  }
  const int answer = platform::ShowMessage(L"セットアップを開始してよろしいですか？",
                                           box::kYesNo | box::kInformation);
  if (answer != box::kYes) {
    // Only Yes is consent. A box that could not be shown answers 0, and no one has said Yes.
    return answer == box::kNo ? ExitCode::kDeclined : ExitCode::kFailed;
  }

  const auto javaHome = InstalledFolder(kJdk, log);
  if (!javaHome) {
    return ExitCode::kProductMissing;
  }
  const auto tomcatHome = InstalledFolder(kTomcat, log);
  if (!tomcatHome) {
    return ExitCode::kProductMissing;
  }
  const RunValues run{*javaHome, *tomcatHome, WithSlashes(*tomcatHome)};
  CheckDistribution();

  ChangeTheMachine(run, log);

  platform::ShowMessage(L"セットアップが完了しました。", box::kInformation);
  return ExitCode::kCompleted;
}

}  // namespace setup
