// What a test asks of mbdriver on its command line.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace mbdriver {

inline constexpr const char* kUsage =
    "usage: mbdriver --log FILE [--answers yes,no,ok,...] [--shots DIR] [--hold FILE]\n"
    "                [--timeout SECONDS] [--kill-after MS] [--kill-on FILE]\n"
    "                [--kill-on-change KEY] [--line TEXT] [--station NAME]\n"
    "                -- PROGRAM [ARGS...]\n";

struct Options {
  std::wstring log;
  std::vector<std::string> answers;
  std::optional<std::wstring> shots;
  // Boxes wait for their answer until this file exists, so that a test can act while a box is up.
  std::optional<std::wstring> hold;
  std::chrono::seconds timeout{60};
  std::optional<std::chrono::milliseconds> killAfter;
  std::optional<std::wstring> killOn;
  std::optional<std::wstring> killOnChange;
  std::optional<std::wstring> line;
  // A window station of that name, made for the program, which is not the visible one: where a
  // service or a deployment tool's SYSTEM account runs it, no box is seen.
  std::optional<std::wstring> station;
  std::vector<std::wstring> command;
};

// The options, or nothing for a line that means nothing to the driver.
std::optional<Options> ParseOptions(int argc, wchar_t** argv);

}  // namespace mbdriver
