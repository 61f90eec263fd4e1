// mbdriver: runs a program and answers its message boxes from a script, logging each box as a line
// of JSON, so that a test can check every box the program showed and what it did after.
//
//   mbdriver --log FILE [--answers yes,no,ok,...] [--shots DIR] [--hold FILE]
//            [--timeout SECONDS] [--kill-after MS] [--kill-on FILE] [--kill-on-change KEY]
//            [--line TEXT] -- PROGRAM [ARGS...]
//
// Each ARG reaches the program quoted as the C runtime reads it back. --line hands TEXT over as it
// is, after the program's name, so that a test can give a line that no quoting would make, as an
// administrator may type it.
//
// The kill options end the program abruptly, as a power cut or the task manager would: MS
// milliseconds after the first answer is given, as soon as FILE exists, or at the first change
// below the registry key KEY (HKEY_LOCAL_MACHINE\... or HKEY_CURRENT_USER\...) after the first
// answer. Such a run answers only the scripted boxes and leaves any later box up, so that the kill
// can come while it shows.
//
// Exit code: the program's; 90 if a box needs an answer that the script does not give; 91 if
// neither a box nor the program's end comes within the timeout; 93 if the program was killed as
// asked; 2 for a wrong command line and 92 if the log cannot be written or the program cannot be
// started.
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "child_program.h"
#include "driver_options.h"
#include "json_log.h"
#include "msgbox_driver.h"
#include "owned_handle.h"

namespace {

using mbdriver::JsonLog;
using mbdriver::Options;
using mbdriver::Program;
using msgbox_driver::Box;
using msgbox_driver::OwnedKernelObject;
using Clock = std::chrono::steady_clock;

constexpr int kUsageError = 2;
constexpr int kNoAnswer = 90;
constexpr int kTimedOut = 91;
constexpr int kDriverFailure = 92;
constexpr int kKilled = 93;

// A kill on a file's appearance is meant to land inside a step of a few tens of milliseconds.
constexpr std::chrono::milliseconds kKillPollInterval{5};

struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Invalid() { return nullptr; }
  static void Close(Value value) { ::RegCloseKey(value); }
};
using OwnedRegistryKey = msgbox_driver::Owned<RegistryKeyTraits>;

// Signals its event at the first change to a key, its values or its sub-keys after Arm. Registry
// writes take a fraction of a millisecond each, too little for a timed kill to land between them.
class KeyWatch {
 public:
  static std::optional<KeyWatch> Open(std::wstring_view path) {
    const std::size_t separator = path.find(L'\\');
    const std::wstring_view root = path.substr(0, separator);
    HKEY rootKey = nullptr;
    if (root == L"HKEY_LOCAL_MACHINE") {
      rootKey = HKEY_LOCAL_MACHINE;
    } else if (root == L"HKEY_CURRENT_USER") {
      rootKey = HKEY_CURRENT_USER;
    } else {
      return std::nullopt;
    }
    const std::wstring subKey(separator == std::wstring_view::npos ? std::wstring_view()
                                                                   : path.substr(separator + 1));
    HKEY key = nullptr;
    if (::RegOpenKeyExW(rootKey, subKey.c_str(), 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    KeyWatch watch(OwnedRegistryKey(key),
                   OwnedKernelObject(::CreateEventW(nullptr, TRUE, FALSE, nullptr)));
    if (!watch.changed_) {
      return std::nullopt;
    }
    return watch;
  }

  bool Arm() const {
    constexpr DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    return ::RegNotifyChangeKeyValue(key_.get(), TRUE, kChanges, changed_.get(), TRUE) ==
           ERROR_SUCCESS;
  }

  HANDLE Event() const { return changed_.get(); }
  bool Changed() const { return ::WaitForSingleObject(changed_.get(), 0) == WAIT_OBJECT_0; }

 private:
  KeyWatch(OwnedRegistryKey key, OwnedKernelObject changed)
      : key_(std::move(key)), changed_(std::move(changed)) {}

  OwnedRegistryKey key_;
  OwnedKernelObject changed_;
};

// The program waits for the registry's answer to each write; on one shared processor the driver,
// woken by the change, gets to run in that pause. On processors of their own the program would
// have made its next few writes before the kill arrives.
void ShareOneProcessor(const Program& program) {
  ::SetProcessAffinityMask(program.process.get(), 1);
  ::SetProcessAffinityMask(::GetCurrentProcess(), 1);
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitForFile(const std::wstring& path, Clock::time_point deadline) {
  while (!FileExists(path)) {
    if (Clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(msgbox_driver::kPollInterval);
  }
  return true;
}

std::chrono::milliseconds Remaining(Clock::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
}

class Driver {
 public:
  Driver(const Options& options, const JsonLog& log, const Program& program, const KeyWatch* watch)
      : options_(options), log_(log), program_(program), watch_(watch) {}

  int Run() {
    auto deadline = Clock::now() + options_.timeout;
    for (;;) {
      if (KillIsDue()) {
        return KillAsAsked();
      }
      // A box left up for the kill is no new box.
      const std::vector<HWND> boxes =
          leftUp_ ? std::vector<HWND>{} : msgbox_driver::FindBoxes(program_.processId);
      if (!boxes.empty()) {
        if (const std::optional<int> failure = Handle(boxes.front(), deadline)) {
          return *failure;
        }
        deadline = Clock::now() + options_.timeout;
        continue;
      }
      if (WaitForProgram()) {
        DWORD exitCode = 0;
        ::GetExitCodeProcess(program_.process.get(), &exitCode);
        log_.Exited(exitCode);
        return static_cast<int>(exitCode);
      }
      if (Clock::now() >= deadline) {
        return Fail(kTimedOut, L"neither a box nor the end of the program came in time");
      }
    }
  }

 private:
  // Logs, pictures and answers one box; the exit code if the run has to end.
  std::optional<int> Handle(HWND window, Clock::time_point deadline) {
    const Box box = msgbox_driver::ReadBox(window);
    log_.BoxShown(box);
    ++boxesSeen_;
    if (options_.shots) {
      ::CreateDirectoryW(options_.shots->c_str(), nullptr);
      const std::wstring shot = *options_.shots + L"\\box-" + std::to_wstring(boxesSeen_) + L".bmp";
      if (!msgbox_driver::SaveBmp(box.picture, shot)) {
        log_.Error(L"cannot write " + shot);
      }
    }

    std::string answer;
    if (nextAnswer_ < options_.answers.size()) {
      answer = options_.answers[nextAnswer_++];
    } else if (options_.Kills()) {
      leftUp_ = true;
      return std::nullopt;
    } else if (box.buttons == "ok") {
      answer = "ok";  // the one thing a user can do with such a box
    } else {
      return Fail(kNoAnswer, L"no answer left for a box with buttons " + Wide(box.buttons));
    }
    const std::optional<int> button = msgbox_driver::AnswerButton(window, answer);
    if (!button) {
      return Fail(kNoAnswer, L"the box has no button for the answer " + Wide(answer));
    }
    if (options_.hold && !WaitForFile(*options_.hold, deadline)) {
      return Fail(kTimedOut, L"the hold was not released in time");
    }
    if (!firstAnswer_ && watch_ && !watch_->Arm()) {
      return Fail(kDriverFailure, L"cannot watch the registry key");
    }
    if (!msgbox_driver::PressButton(window, *button)) {
      return Fail(kTimedOut, L"the box did not close after its answer");
    }
    if (!firstAnswer_) {
      firstAnswer_ = Clock::now();
      if (options_.killAfter) {
        killAt_ = *firstAnswer_ + *options_.killAfter;
      }
    }
    if (options_.Kills()) {
      return WaitUntilClosedOrKilled(window, deadline);
    }
    if (!msgbox_driver::WaitUntilClosed(window, Remaining(deadline))) {
      return Fail(kTimedOut, L"the box did not close after its answer");
    }
    return std::nullopt;
  }

  // The program goes on as soon as it takes the answer, so a kill may be due before the box is
  // seen gone.
  std::optional<int> WaitUntilClosedOrKilled(HWND window, Clock::time_point deadline) {
    while (!msgbox_driver::WaitUntilClosed(window, std::chrono::milliseconds(0))) {
      if (KillIsDue()) {
        return KillAsAsked();
      }
      if (Clock::now() >= deadline) {
        return Fail(kTimedOut, L"the box did not close after its answer");
      }
      WaitForProgram();
    }
    return std::nullopt;
  }

  bool KillIsDue() const {
    return (killAt_ && Clock::now() >= *killAt_) ||
           (options_.killOn && FileExists(*options_.killOn)) || (watch_ && watch_->Changed());
  }

  // Waits up to one poll interval, or until the watched key changes; true if the program ended.
  bool WaitForProgram() const {
    const std::array<HANDLE, 2> handles{program_.process.get(), watch_ ? watch_->Event() : nullptr};
    const DWORD count = watch_ ? 2 : 1;
    return ::WaitForMultipleObjects(count, handles.data(), FALSE, PollInterval()) == WAIT_OBJECT_0;
  }

  // Logs when the kill came, counted from the first answer (null before it), and kills.
  int KillAsAsked() const {
    std::optional<std::chrono::milliseconds> after;
    if (firstAnswer_) {
      after = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *firstAnswer_);
    }
    mbdriver::Kill(program_, kKilled);
    log_.Killed(after);
    return kKilled;
  }

  // Short while a kill may be due, and never past the moment of a timed one.
  DWORD PollInterval() const {
    auto poll = options_.killOn ? kKillPollInterval : msgbox_driver::kPollInterval;
    if (killAt_) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(*killAt_ - Clock::now());
      poll = std::clamp(left, std::chrono::milliseconds(0), poll);
    }
    return static_cast<DWORD>(poll.count());
  }

  int Fail(int exitCode, std::wstring_view why) const {
    log_.Error(why);
    mbdriver::Kill(program_, exitCode);
    return exitCode;
  }

  static std::wstring Wide(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
  }

  const Options& options_;
  const JsonLog& log_;
  const Program& program_;
  const KeyWatch* watch_;  // for --kill-on-change
  std::size_t nextAnswer_ = 0;
  int boxesSeen_ = 0;
  bool leftUp_ = false;  // a box after the script waits for the kill
  std::optional<Clock::time_point> firstAnswer_;
  std::optional<Clock::time_point> killAt_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::optional<Options> options = mbdriver::ParseOptions(argc, argv);
  if (!options) {
    std::fputs(mbdriver::kUsage, stderr);
    return kUsageError;
  }
  const JsonLog log(options->log);
  if (!log) {
    std::fputs("mbdriver: cannot write the log\n", stderr);
    return kDriverFailure;
  }
  std::optional<KeyWatch> watch;
  if (options->killOnChange) {
    watch = KeyWatch::Open(*options->killOnChange);
    if (!watch) {
      log.Error(L"cannot watch the registry key " + *options->killOnChange);
      return kDriverFailure;
    }
  }
  const std::optional<Program> program = mbdriver::StartProgram(options->command, options->line);
  if (!program) {
    log.Error(L"cannot start the program");
    return kDriverFailure;
  }
  if (watch) {
    ShareOneProcessor(*program);
  }
  return Driver(*options, log, *program, watch ? &*watch : nullptr).Run();
}
