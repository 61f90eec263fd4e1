// The program's command line: the words Windows hands it, and the switches they stand for.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The arguments of a whole command line as GetCommandLineW gives it, the program's name left out,
// split by the rules of the Microsoft C runtime, which is how the tools that start the program
// (cmd, PowerShell, Ansible, Intune) quote what they pass: whitespace separates, double quotes
// group, backslashes are literal except before a double quote.
[[nodiscard]] std::vector<std::wstring> CommandLineArguments(std::wstring_view commandLine);

// What the administrator asked for. Switches begin with "/" or "-" and are read in any case.
struct Options {
  bool quiet = false;                   // /quiet or /q: no box, the question counts as Yes
  bool verify = false;                  // /verify: compare the machine, change nothing
  std::optional<std::wstring> logFile;  // /log FILE
  // The first argument that means nothing to the program. Such a run shows how the program is
  // used and does nothing else, so that a mistyped switch never waits for a user nobody sees.
  std::optional<std::wstring> mistake;
};

[[nodiscard]] Options ReadOptions(std::span<const std::wstring> arguments);

// The options of a whole command line, the program's name first. A line that holds /quiet or /q
// as a word of its own anywhere after the name is quiet however the rest of it splits: a quoted
// folder that ends in "\" escapes its closing quote and swallows the switches after it into the
// file name, and the run must still show no box to a user who is not there.
[[nodiscard]] Options ReadCommandLine(std::wstring_view commandLine);

// The text that shows how the program is used, naming the argument that meant nothing.
[[nodiscard]] std::wstring UsageMessage(std::wstring_view mistake);

}  // namespace app
