#include "driver_loop.h"

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "exit_codes.h"
#include "file_exists.h"
#include "msgbox_driver.h"

namespace mbdriver {
namespace {

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

std::wstring Wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

int Driver::Run() {
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

// Logs, pictures and answers one box; the exit code if the run has to end.
std::optional<int> Driver::Handle(HWND window, Clock::time_point deadline) {
  const std::optional<msgbox_driver::Box> read = msgbox_driver::ReadBox(window);
  if (!read) {
    return Fail(kTimedOut, L"the box's text could not be read");
  }
  const msgbox_driver::Box& box = *read;
  log_.BoxShown(box);
  ++boxesSeen_;
  SavePicture(box);

  std::string answer;
  if (nextAnswer_ < options_.answers.size()) {
    answer = options_.answers[nextAnswer_++];
  } else if (Kills()) {
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
  if (!firstAnswer_) {
    for (const auto& trigger : triggers_) {
      if (const std::optional<std::wstring_view> why = trigger->BeforeFirstAnswer()) {
        return Fail(kDriverFailure, *why);
      }
    }
  }
  if (!msgbox_driver::PressButton(window, *button)) {
    return Fail(kTimedOut, L"the box did not close after its answer");
  }
  if (!firstAnswer_) {
    firstAnswer_ = Clock::now();
    for (const auto& trigger : triggers_) {
      trigger->FirstAnswerGiven(*firstAnswer_);
    }
  }
  if (Kills()) {
    return WaitUntilClosedOrKilled(window, deadline);
  }
  if (!msgbox_driver::WaitUntilClosed(window, Remaining(deadline))) {
    return Fail(kTimedOut, L"the box did not close after its answer");
  }
  return std::nullopt;
}

void Driver::SavePicture(const msgbox_driver::Box& box) const {
  if (!options_.shots) {
    return;
  }
  ::CreateDirectoryW(options_.shots->c_str(), nullptr);
  const std::wstring shot = *options_.shots + L"\\box-" + std::to_wstring(boxesSeen_) + L".bmp";
  if (!msgbox_driver::SaveBmp(box.picture, shot)) {
    log_.Error(L"cannot write " + shot);
  }
}

// The program goes on as soon as it takes the answer, so a kill may be due before the box is
// seen gone.
std::optional<int> Driver::WaitUntilClosedOrKilled(HWND window, Clock::time_point deadline) {
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

bool Driver::KillIsDue() const {
  return std::any_of(triggers_.begin(), triggers_.end(),
                     [](const auto& trigger) { return trigger->IsDue(); });
}

// Waits up to one poll interval, or until a trigger's event says the kill is due; true if the
// program ended.
bool Driver::WaitForProgram() const {
  std::vector<HANDLE> handles{program_.process.get()};
  for (const auto& trigger : triggers_) {
    if (HANDLE due = trigger->DueEvent()) {
      handles.push_back(due);
    }
  }
  return ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                  PollInterval()) == WAIT_OBJECT_0;
}

// Logs when the kill came, counted from the first answer (null before it), and kills.
int Driver::KillAsAsked() const {
  std::optional<std::chrono::milliseconds> after;
  if (firstAnswer_) {
    after = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *firstAnswer_);
  }
  Kill(program_, kKilled);
  log_.Killed(after);
  return kKilled;
}

// As short as the triggers need.
DWORD Driver::PollInterval() const {
  std::chrono::milliseconds poll = msgbox_driver::kPollInterval;
  for (const auto& trigger : triggers_) {
    poll = trigger->NextLook(poll);
  }
  return static_cast<DWORD>(poll.count());
}

int Driver::Fail(int exitCode, std::wstring_view why) const {
  log_.Error(why);
  Kill(program_, exitCode);
  return exitCode;
}

}  // namespace mbdriver
