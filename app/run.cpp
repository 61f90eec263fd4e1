#include "app/run.h"

#include <exception>
#include <new>

#include "platform/ui.h"
#include "setup/main.h"

namespace app {
namespace {

void Report(const platform::Failure& failure) {
  platform::ShowMessage(FailureReport(failure), platform::box::kCritical);
}

}  // namespace

std::wstring FailureReport(const platform::Failure& failure) {
  return L"実行時エラー '" + std::to_wstring(failure.number()) + L"':\r\n\r\n" +
         failure.description();
}

int Run() {
  try {
    setup::RunLog log;
    return static_cast<int>(setup::Main(log));
  } catch (const platform::Failure& failure) {
    Report(failure);
  } catch (const std::bad_alloc&) {
    Report(platform::Failure(8, L"このコマンドを実行するのに十分な記憶域がありません。"));
  } catch (const std::exception&) {
    Report(platform::Failure(platform::kInternalFailure, L"内部エラーが発生しました。"));
  }
  return static_cast<int>(setup::ExitCode::kFailed);
}

}  // namespace app
