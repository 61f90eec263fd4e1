#include "child_program.h"

#include <string_view>

namespace mbdriver {
namespace {

// Quoted so that the program's runtime splits the command line back into the same arguments:
// backslashes are literal except before a quote, where they and the quote are escaped.
std::wstring QuoteArgument(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\r\"") == std::wstring_view::npos) {
    return std::wstring(argument);
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) {
      return path;
    }
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

std::wstring CommandLine(const std::wstring& file, const std::vector<std::wstring>& command,
                         const std::optional<std::wstring>& line) {
  std::wstring commandLine = QuoteArgument(file);
  for (std::size_t i = 1; i < command.size(); ++i) {
    commandLine += L' ';
    commandLine += QuoteArgument(command[i]);
  }
  if (line) {
    commandLine += L' ';
    commandLine += *line;
  }
  return commandLine;
}

// A window station that only the started program will use, and its desktop "Default": a desktop
// is made in the station of the process that makes it. The program holds both once it runs.
struct HiddenDesktop {
  msgbox_driver::OwnedWindowStation station;
  msgbox_driver::OwnedDesktop desktop;
};

std::optional<HiddenDesktop> MakeHiddenDesktop(const std::wstring& name) {
  HiddenDesktop made;
  made.station.reset(::CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr));
  const HWINSTA own = ::GetProcessWindowStation();
  if (!made.station || !::SetProcessWindowStation(made.station.get())) {
    return std::nullopt;
  }
  made.desktop.reset(::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr));
  ::SetProcessWindowStation(own);
  if (!made.desktop) {
    return std::nullopt;
  }
  return made;
}

}  // namespace

std::optional<Program> StartProgram(const std::vector<std::wstring>& command,
                                    const std::optional<std::wstring>& line,
                                    const std::optional<std::wstring>& station) {
  const std::wstring file = FullPath(command.front());
  const std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
  std::wstring commandLine = CommandLine(file, command, line);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  std::optional<HiddenDesktop> hidden;
  std::wstring desktop;
  if (station) {
    hidden = MakeHiddenDesktop(*station);
    if (!hidden) {
      return std::nullopt;
    }
    desktop = *station + L"\\Default";
    startup.lpDesktop = desktop.data();
  }
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
    return std::nullopt;
  }
  const msgbox_driver::OwnedKernelObject thread(started.hThread);
  return Program{msgbox_driver::OwnedKernelObject(started.hProcess), started.dwProcessId};
}

void Kill(const Program& program, int exitCode) {
  ::TerminateProcess(program.process.get(), static_cast<UINT>(exitCode));
  ::WaitForSingleObject(program.process.get(), 5000);
}

}  // namespace mbdriver
