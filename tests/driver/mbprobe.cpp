// mbprobe: shows boxes through the platform layer, for the tests of the driver and of the
// platform's boxes and single-instance guard.
//
//   mbprobe box CODE CAPTION|- TEXT...  one box of the MessageBox type CODE; "-" for no caption of
//                                       its own. Exits with the answer.
//   mbprobe sequence CODE TEXT...       one box of type CODE for each TEXT in turn. Exits with the
//                                       answers written as decimal digits: 76 for No then Yes.
//   mbprobe instance                    if another copy runs: "already" (critical) and exit 3;
//                                       else "first" (yes/no, information), exit with the answer.
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"
#include "platform/process.h"
#include "platform/ui.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kAlreadyRunning = 3;
constexpr int kPlatformFailure = 4;

int ShowBox(int argc, wchar_t** argv) {
  const int code = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
  std::optional<std::wstring> caption;
  if (std::wstring_view(argv[3]) != L"-") {
    caption = argv[3];
  }
  std::wstring text;
  for (int i = 4; i < argc; ++i) {
    text += i > 4 ? L" " : L"";
    text += argv[i];
  }
  return platform::ShowMessage(text, code, caption);
}

int ShowSequence(int argc, wchar_t** argv) {
  const int code = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
  int answers = 0;
  for (int i = 3; i < argc; ++i) {
    answers = answers * 10 + platform::ShowMessage(argv[i], code);
  }
  return answers;
}

int CheckInstance() {
  namespace box = platform::box;
  if (platform::IsPreviousInstanceRunning()) {
    platform::ShowMessage(L"already", box::kOkOnly + box::kCritical);
    return kAlreadyRunning;
  }
  return platform::ShowMessage(L"first", box::kYesNo + box::kInformation);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring_view command = argc > 1 ? argv[1] : L"";
  try {
    if (command == L"box" && argc >= 5) {
      return ShowBox(argc, argv);
    }
    if (command == L"sequence" && argc >= 4) {
      return ShowSequence(argc, argv);
    }
    if (command == L"instance" && argc == 2) {
      return CheckInstance();
    }
  } catch (const platform::Failure& failure) {
    std::fwprintf(stderr, L"mbprobe: %ls\n", failure.description().c_str());
    return kPlatformFailure;
  }
  std::fputs(
      "usage: mbprobe box CODE CAPTION|- TEXT... | mbprobe sequence CODE TEXT... | "
      "mbprobe instance\n",
      stderr);
  return kUsageError;
}
