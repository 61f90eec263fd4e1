// The driver's record of a run, one JSON object a line: each box as it was read, then how the run
// ended ({"exit":CODE}, {"killed":MS} or {"error":TEXT}).
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "msgbox_driver.h"
#include "owned_handle.h"

namespace mbdriver {

// Each line is written through at once: a test reads the log while the program still runs, and a
// killed run still leaves what it saw.
class JsonLog {
 public:
  explicit JsonLog(const std::wstring& path);

  explicit operator bool() const { return static_cast<bool>(file_); }

  void BoxShown(const msgbox_driver::Box& box) const;
  void Exited(DWORD exitCode) const;
  // The time from the first answer to the kill; none for a kill that came before it.
  void Killed(std::optional<std::chrono::milliseconds> afterFirstAnswer) const;
  void Error(std::wstring_view message) const;

 private:
  void Write(std::string line) const;

  msgbox_driver::OwnedFile file_;
};

}  // namespace mbdriver
