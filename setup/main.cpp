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

struct Product {
  std::wstring_view name;  // as the log names it
  std::wstring_view key;
  std::wstring_view valueName;
  std::wstring_view notInstalled;
};

constexpr Product kJdk{L"JDK 1.4",
                       L"HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4",
                       L"JavaHome", L"Java 2 SDK 1.4がインストールされていません。"};
constexpr Product kTomcat{L"Tomcat 4.1",
                          L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1",
                          L"", L"Apache Tomcat 4.1.40がインストールされていません。"};

constexpr std::wstring_view kInstallFirst = L"\r先にインストールを行って下さい。";

// A product's folder, or nothing after its message has been shown. "ERROR" has been reported by
// the registry routine already and is no folder to write anywhere.
std::optional<std::wstring> FindProductFolder(const Product& product, RunLog& log) {
  std::wstring folder = common::GetRegistry(product.key, product.valueName);
  log.Product(product.name, product.key, folder);
  if (folder == common::kInvalidKey) {
    platform::ShowMessage(std::wstring(product.notInstalled) + std::wstring(kInstallFirst),
                          box::kCritical);
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

  const auto javaHome = FindProductFolder(kJdk, log);
  if (!javaHome) {
    return ExitCode::kProductMissing;
  }
  const auto tomcatHome = FindProductFolder(kTomcat, log);
  if (!tomcatHome) {
    return ExitCode::kProductMissing;
  }
  const RunValues run{*javaHome, *tomcatHome, WithSlashes(*tomcatHome)};

  platform::SetBusyPointer(true);
  EnvironmentStep(run, log);
  DeploymentStep(run, log);
  ConfigurationStep(run, log);
  DataSourceStep(run, log);
  platform::SetBusyPointer(false);

  platform::ShowMessage(L"セットアップが完了しました。", box::kInformation);
  return ExitCode::kCompleted;
}

}  // namespace setup
