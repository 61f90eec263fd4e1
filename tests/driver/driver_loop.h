// The loop of a run: answers the boxes of the running program from the script, logging each, until
// the program ends, a kill falls due, or the run cannot go on.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string_view>

#include "child_program.h"
#include "driver_options.h"
#include "json_log.h"
#include "kill_trigger.h"

namespace mbdriver {

class Driver {
 public:
  Driver(const Options& options, const JsonLog& log, const Program& program,
         const KillTriggers& triggers)
      : options_(options), log_(log), program_(program), triggers_(triggers) {}

  // mbdriver's exit code: the program's, or one of exit_codes.h.
  int Run();

 private:
  std::optional<int> Handle(HWND window, Clock::time_point deadline);
  void SavePicture(const msgbox_driver::Box& box) const;
  std::optional<int> WaitUntilClosedOrKilled(HWND window, Clock::time_point deadline);
  bool Kills() const { return !triggers_.empty(); }
  bool KillIsDue() const;
  bool WaitForProgram() const;
  int KillAsAsked() const;
  DWORD PollInterval() const;
  int Fail(int exitCode, std::wstring_view why) const;

  const Options& options_;
  const JsonLog& log_;
  const Program& program_;
  const KillTriggers& triggers_;
  std::size_t nextAnswer_ = 0;
  int boxesSeen_ = 0;
  bool leftUp_ = false;  // a box after the script waits for the kill
  std::optional<Clock::time_point> firstAnswer_;
};

}  // namespace mbdriver
