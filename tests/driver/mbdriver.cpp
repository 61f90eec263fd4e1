// mbdriver: runs a program and answers its message boxes from a script, logging each box as a line
// of JSON, so that a test can check every box the program showed and what it did after.
//
//   mbdriver --log FILE [--answers yes,no,ok,...] [--shots DIR] [--hold FILE]
//            [--timeout SECONDS] -- PROGRAM [ARGS...]
//
// Exit code: the program's; 90 if a box needs an answer that the script does not give; 91 if
// neither a box nor the program's end comes within the timeout; 2 for a wrong command line and 92
// if the log cannot be written or the program cannot be started.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "msgbox_driver.h"
#include "owned_handle.h"

namespace {

using msgbox_driver::Box;
using msgbox_driver::OwnedFile;
using msgbox_driver::OwnedKernelObject;
using Clock = std::chrono::steady_clock;

constexpr int kUsageError = 2;
constexpr int kNoAnswer = 90;
constexpr int kTimedOut = 91;
constexpr int kDriverFailure = 92;

struct Options {
  std::wstring log;
  std::vector<std::string> answers;
  std::optional<std::wstring> shots;
  // Boxes wait for their answer until this file exists, so that a test can act while a box is up.
  std::optional<std::wstring> hold;
  std::chrono::seconds timeout{60};
  std::vector<std::wstring> command;
};

std::string Utf8(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::vector<std::string> SplitAnswers(std::wstring_view list) {
  std::vector<std::string> answers;
  while (!list.empty()) {
    const std::size_t comma = list.find(L',');
    answers.push_back(Utf8(list.substr(0, comma)));
    list.remove_prefix(comma == std::wstring_view::npos ? list.size() : comma + 1);
  }
  return answers;
}

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
  Options options;
  int i = 1;
  for (; i < argc; ++i) {
    const std::wstring_view option = argv[i];
    if (option == L"--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) {
      return std::nullopt;
    }
    const wchar_t* value = argv[++i];
    if (option == L"--log") {
      options.log = value;
    } else if (option == L"--answers") {
      options.answers = SplitAnswers(value);
    } else if (option == L"--shots") {
      options.shots = value;
    } else if (option == L"--hold") {
      options.hold = value;
    } else if (option == L"--timeout") {
      const long seconds = std::wcstol(value, nullptr, 10);
      if (seconds <= 0) {
        return std::nullopt;
      }
      options.timeout = std::chrono::seconds(seconds);
    } else {
      return std::nullopt;
    }
  }
  options.command.assign(argv + i, argv + argc);
  if (options.log.empty() || options.command.empty()) {
    return std::nullopt;
  }
  return options;
}

std::string JsonString(std::wstring_view text) {
  std::string json = "\"";
  for (const char c : Utf8(text)) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\b':
        json += "\\b";
        break;
      case '\f':
        json += "\\f";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
          json += escaped;
        } else {
          json += c;  // bytes of UTF-8 sequences included: JSON text is UTF-8
        }
    }
  }
  return json + "\"";
}

std::string BoxLine(const Box& box) {
  return "{\"caption\":" + JsonString(box.caption) + ",\"text\":" + JsonString(box.text) +
         ",\"buttons\":\"" + box.buttons + "\",\"icon\":\"" + box.icon +
         "\",\"systemModal\":" + (box.systemModal ? "true" : "false") +
         ",\"code\":" + std::to_string(box.code) + "}";
}

// One line a record, written through at once: a test reads the log while the program still runs,
// and a killed run still leaves what it saw.
class Log {
 public:
  explicit Log(const std::wstring& path)
      : file_(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}

  explicit operator bool() const { return static_cast<bool>(file_); }

  void Write(std::string line) const {
    line += '\n';
    DWORD written = 0;
    ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }

  void Error(std::wstring_view message) const { Write("{\"error\":" + JsonString(message) + "}"); }

 private:
  OwnedFile file_;
};

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

struct Program {
  OwnedKernelObject process;
  DWORD processId = 0;
};

// The program runs in its own folder, as it does when started from Explorer.
std::optional<Program> StartProgram(const std::vector<std::wstring>& command) {
  const std::wstring file = FullPath(command.front());
  const std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
  std::wstring commandLine = QuoteArgument(file);
  for (std::size_t i = 1; i < command.size(); ++i) {
    commandLine += L' ';
    commandLine += QuoteArgument(command[i]);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
    return std::nullopt;
  }
  const OwnedKernelObject thread(started.hThread);
  return Program{OwnedKernelObject(started.hProcess), started.dwProcessId};
}

void Kill(const Program& program, int exitCode) {
  ::TerminateProcess(program.process.get(), static_cast<UINT>(exitCode));
  ::WaitForSingleObject(program.process.get(), 5000);
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
  Driver(const Options& options, const Log& log, const Program& program)
      : options_(options), log_(log), program_(program) {}

  int Run() {
    auto deadline = Clock::now() + options_.timeout;
    for (;;) {
      const std::vector<HWND> boxes = msgbox_driver::FindBoxes(program_.processId);
      if (!boxes.empty()) {
        if (const std::optional<int> failure = Handle(boxes.front(), deadline)) {
          return *failure;
        }
        deadline = Clock::now() + options_.timeout;
        continue;
      }
      const auto poll = static_cast<DWORD>(msgbox_driver::kPollInterval.count());
      if (::WaitForSingleObject(program_.process.get(), poll) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        ::GetExitCodeProcess(program_.process.get(), &exitCode);
        log_.Write("{\"exit\":" + std::to_string(exitCode) + "}");
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
    log_.Write(BoxLine(box));
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
    if (!msgbox_driver::PressButton(window, *button) ||
        !msgbox_driver::WaitUntilClosed(window, Remaining(deadline))) {
      return Fail(kTimedOut, L"the box did not close after its answer");
    }
    return std::nullopt;
  }

  int Fail(int exitCode, std::wstring_view why) const {
    log_.Error(why);
    Kill(program_, exitCode);
    return exitCode;
  }

  static std::wstring Wide(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
  }

  const Options& options_;
  const Log& log_;
  const Program& program_;
  std::size_t nextAnswer_ = 0;
  int boxesSeen_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs(
        "usage: mbdriver --log FILE [--answers yes,no,ok,...] [--shots DIR] [--hold FILE]\n"
        "                [--timeout SECONDS] -- PROGRAM [ARGS...]\n",
        stderr);
    return kUsageError;
  }
  const Log log(options->log);
  if (!log) {
    std::fputs("mbdriver: cannot write the log\n", stderr);
    return kDriverFailure;
  }
  const std::optional<Program> program = StartProgram(options->command);
  if (!program) {
    log.Error(L"cannot start the program");
    return kDriverFailure;
  }
  return Driver(*options, log, *program).Run();
}
