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
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "msgbox_driver.h"
#include "owned_handle.h"
#include "platform/text.h"

namespace {

using msgbox_driver::Box;
using msgbox_driver::OwnedFile;
using msgbox_driver::OwnedKernelObject;
using Clock = std::chrono::steady_clock;

constexpr int kUsageError = 2;
constexpr int kNoAnswer = 90;
constexpr int kTimedOut = 91;
constexpr int kDriverFailure = 92;
constexpr int kKilled = 93;

// A kill on a file's appearance is meant to land inside a step of a few tens of milliseconds.
constexpr std::chrono::milliseconds kKillPollInterval{5};

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
  std::vector<std::wstring> command;

  bool Kills() const { return killAfter || killOn || killOnChange; }
};

std::vector<std::string> SplitAnswers(std::wstring_view list) {
  std::vector<std::string> answers;
  while (!list.empty()) {
    const std::size_t comma = list.find(L',');
    answers.push_back(platform::ToUtf8(list.substr(0, comma)));
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
    } else if (option == L"--kill-after") {
      wchar_t* end = nullptr;
      const long milliseconds = std::wcstol(value, &end, 10);
      if (end == value || *end != L'\0' || milliseconds < 0) {
        return std::nullopt;
      }
      options.killAfter = std::chrono::milliseconds(milliseconds);
    } else if (option == L"--kill-on") {
      options.killOn = value;
    } else if (option == L"--kill-on-change") {
      options.killOnChange = value;
    } else if (option == L"--line") {
      options.line = value;
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
  for (const char c : platform::ToUtf8(text)) {
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

struct Program {
  OwnedKernelObject process;
  DWORD processId = 0;
};

// The program runs in its own folder, as it does when started from Explorer.
std::optional<Program> StartProgram(const std::vector<std::wstring>& command,
                                    const std::optional<std::wstring>& line) {
  const std::wstring file = FullPath(command.front());
  const std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
  std::wstring commandLine = QuoteArgument(file);
  for (std::size_t i = 1; i < command.size(); ++i) {
    commandLine += L' ';
    commandLine += QuoteArgument(command[i]);
  }
  if (line) {
    commandLine += L' ';
    commandLine += *line;
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

// The program waits for the registry's answer to each write; on one shared processor the driver,
// woken by the change, gets to run in that pause. On processors of their own the program would
// have made its next few writes before the kill arrives.
void ShareOneProcessor(const Program& program) {
  ::SetProcessAffinityMask(program.process.get(), 1);
  ::SetProcessAffinityMask(::GetCurrentProcess(), 1);
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
  Driver(const Options& options, const Log& log, const Program& program, const KeyWatch* watch)
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
    std::string after = "null";
    if (firstAnswer_) {
      after = std::to_string(
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *firstAnswer_)
              .count());
    }
    Kill(program_, kKilled);
    log_.Write("{\"killed\":" + after + "}");
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
    Kill(program_, exitCode);
    return exitCode;
  }

  static std::wstring Wide(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
  }

  const Options& options_;
  const Log& log_;
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
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs(
        "usage: mbdriver --log FILE [--answers yes,no,ok,...] [--shots DIR] [--hold FILE]\n"
        "                [--timeout SECONDS] [--kill-after MS] [--kill-on FILE]\n"
        "                [--kill-on-change KEY] [--line TEXT] -- PROGRAM [ARGS...]\n",
        stderr);
    return kUsageError;
  }
  const Log log(options->log);
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
  const std::optional<Program> program = StartProgram(options->command, options->line);
  if (!program) {
    log.Error(L"cannot start the program");
    return kDriverFailure;
  }
  if (watch) {
    ShareOneProcessor(*program);
  }
  return Driver(*options, log, *program, watch ? &*watch : nullptr).Run();
}
