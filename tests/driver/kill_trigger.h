// The moments at which mbdriver ends the program abruptly, as a power cut or the task manager
// would, so that a test can see what a run cut short leaves. The driver asks its triggers whether
// the kill is due each time it looks at the program.
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "driver_options.h"
#include "json_log.h"

namespace mbdriver {

using Clock = std::chrono::steady_clock;

class KillTrigger {
 public:
  virtual ~KillTrigger() = default;

  // Once the program runs.
  virtual void ProgramStarted(HANDLE /*process*/) {}
  // Just before the first answer reaches the program: why the trigger cannot work, if it cannot.
  virtual std::optional<std::wstring_view> BeforeFirstAnswer() { return std::nullopt; }
  // Once the first answer has reached it.
  virtual void FirstAnswerGiven(Clock::time_point /*answered*/) {}

  virtual bool IsDue() const = 0;
  // At most `poll`: how long the driver may wait before it has to ask again.
  virtual std::chrono::milliseconds NextLook(std::chrono::milliseconds poll) const { return poll; }
  // Signalled as the kill falls due, so that a wait for the program ends at once; null if the
  // trigger has none.
  virtual HANDLE DueEvent() const { return nullptr; }
};

using KillTriggers = std::vector<std::unique_ptr<KillTrigger>>;

// The triggers that --kill-after, --kill-on and --kill-on-change ask for; none at all, after the
// log says why, if one cannot be set up.
std::optional<KillTriggers> MakeKillTriggers(const Options& options, const JsonLog& log);

}  // namespace mbdriver
