#include "setup/main.h"

#include <algorithm>
#include <optional>

#include "common/error_trap.h"
#include "common/registry.h"
#include "platform/process.h"
#include "platform/ui.h"
#include "setup/steps.h"

namespace setup {
namespace {

namespace box = platform::box;

constexpr std::wstring_view kJdkKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4";
constexpr std::wstring_view kTomcatKey =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1";

constexpr std::wstring_view kInstallFirst = L"\r先にインストールを行って下さい。";

// A product's folder, or nothing after its message has been shown. "ERROR" has been reported by
// the registry routine already and is no folder to write anywhere.
std::optional<std::wstring> FindProductFolder(std::wstring_view key, std::wstring_view valueName,
                                              std::wstring_view notInstalled) {
  std::wstring folder = common::GetRegistry(key, valueName);
  if (folder == common::kInvalidKey) {
    platform::ShowMessage(std::wstring(notInstalled) + std::wstring(kInstallFirst), box::kCritical);
    return std::nullopt;
  }
  if (folder == common::kError) {
    return std::nullopt;
  }
  return folder;
}

}  // namespace

std::wstring WithSlashes(std::wstring_view folder) {
  std::wstring slashed(folder);
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  return slashed;
}

ExitCode Main() {
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

  const auto javaHome =
      FindProductFolder(kJdkKey, L"JavaHome", L"Java 2 SDK 1.4がインストールされていません。");
  if (!javaHome) {
    return ExitCode::kProductMissing;
  }
  const auto tomcatHome =
      FindProductFolder(kTomcatKey, L"", L"Apache Tomcat 4.1.40がインストールされていません。");
  if (!tomcatHome) {
    return ExitCode::kProductMissing;
  }
  const RunValues run{*javaHome, *tomcatHome, WithSlashes(*tomcatHome)};

  platform::SetBusyPointer(true);
  EnvironmentStep(run);
  DeploymentStep(run);
  ConfigurationStep(run);
  DataSourceStep(run);
  platform::SetBusyPointer(false);

  platform::ShowMessage(L"セットアップが完了しました。", box::kInformation);
  return ExitCode::kCompleted;
}

}  // namespace setup
