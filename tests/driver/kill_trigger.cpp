#include "kill_trigger.h"

#include <algorithm>
#include <string>
#include <utility>

#include "file_exists.h"
#include "owned_handle.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace mbdriver {
namespace {

using msgbox_driver::OwnedKernelObject;
using platform::registry::OpenedKey;

// The moments aimed at by a file are steps of a few tens of milliseconds.
constexpr std::chrono::milliseconds kFilePollInterval{5};

// A delay after the first answer: a kill anywhere in the run, by the clock.
class TimedKill final : public KillTrigger {
 public:
  explicit TimedKill(std::chrono::milliseconds delay) : delay_(delay) {}

  void FirstAnswerGiven(Clock::time_point answered) override { due_ = answered + delay_; }

  bool IsDue() const override { return due_ && Clock::now() >= *due_; }

  // Never past the moment of the kill.
  std::chrono::milliseconds NextLook(std::chrono::milliseconds poll) const override {
    if (!due_) {
      return poll;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*due_ - Clock::now());
    return std::clamp(left, std::chrono::milliseconds(0), poll);
  }

 private:
  std::chrono::milliseconds delay_;
  std::optional<Clock::time_point> due_;
};

// A file that the test lays once it sees the moment it aims at: the size of a file being written,
// a box on the screen.
class FileKill final : public KillTrigger {
 public:
  explicit FileKill(std::wstring path) : path_(std::move(path)) {}

  bool IsDue() const override { return FileExists(path_); }

  std::chrono::milliseconds NextLook(std::chrono::milliseconds poll) const override {
    return std::min(poll, kFilePollInterval);
  }

 private:
  std::wstring path_;
};

// The first change to a key, its values or its sub-keys after the first answer. Registry writes
// take a fraction of a millisecond each, too little for a timed kill to land between them.
class KeyChangeKill final : public KillTrigger {
 public:
  // HKEY_LOCAL_MACHINE\... or HKEY_CURRENT_USER\..., if the key is there to be watched.
  static std::unique_ptr<KeyChangeKill> Open(std::wstring_view path) {
    const std::size_t separator = path.find(L'\\');
    const std::wstring_view root = path.substr(0, separator);
    platform::registry::Key rootKey = 0;
    if (root == L"HKEY_LOCAL_MACHINE") {
      rootKey = platform::registry::kLocalMachine;
    } else if (root == L"HKEY_CURRENT_USER") {
      rootKey = platform::registry::kCurrentUser;
    } else {
      return nullptr;
    }
    const std::wstring_view subKey =
        separator == std::wstring_view::npos ? std::wstring_view() : path.substr(separator + 1);
    // The keys that a run writes have ANSI names, as the program's own wrappers open them.
    platform::registry::KeyResult opened =
        platform::registry::OpenKey(rootKey, platform::ToAnsi(subKey), KEY_NOTIFY);
    if (opened.code != platform::ErrorCode::kSuccess) {
      return nullptr;
    }
    OwnedKernelObject changed(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!changed) {
      return nullptr;
    }
    return std::unique_ptr<KeyChangeKill>(
        new KeyChangeKill(std::move(opened.key), std::move(changed)));
  }

  // The program waits for the registry's answer to each write; on one shared processor the
  // driver, woken by the change, gets to run in that pause. On processors of their own the
  // program would have made its next few writes before the kill arrives.
  void ProgramStarted(HANDLE process) override {
    ::SetProcessAffinityMask(process, 1);
    ::SetProcessAffinityMask(::GetCurrentProcess(), 1);
  }

  // Armed only now: the writes before the first answer are not the ones aimed at.
  std::optional<std::wstring_view> BeforeFirstAnswer() override {
    constexpr DWORD kChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    if (::RegNotifyChangeKeyValue(reinterpret_cast<HKEY>(key_.get()), TRUE, kChanges,
                                  changed_.get(), TRUE) != ERROR_SUCCESS) {
      return L"cannot watch the registry key";
    }
    return std::nullopt;
  }

  bool IsDue() const override { return ::WaitForSingleObject(changed_.get(), 0) == WAIT_OBJECT_0; }

  HANDLE DueEvent() const override { return changed_.get(); }

 private:
  KeyChangeKill(OpenedKey key, OwnedKernelObject changed)
      : key_(std::move(key)), changed_(std::move(changed)) {}

  OpenedKey key_;
  OwnedKernelObject changed_;
};

}  // namespace

std::optional<KillTriggers> MakeKillTriggers(const Options& options, const JsonLog& log) {
  KillTriggers triggers;
  if (options.killAfter) {
    triggers.push_back(std::make_unique<TimedKill>(*options.killAfter));
  }
  if (options.killOn) {
    triggers.push_back(std::make_unique<FileKill>(*options.killOn));
  }
  if (options.killOnChange) {
    std::unique_ptr<KeyChangeKill> watch = KeyChangeKill::Open(*options.killOnChange);
    if (!watch) {
      log.Error(L"cannot watch the registry key " + *options.killOnChange);
      return std::nullopt;
    }
    triggers.push_back(std::move(watch));
  }
  return triggers;
}

}  // namespace mbdriver
