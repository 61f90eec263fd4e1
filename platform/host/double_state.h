// The double's one piece of global state, shared by its parts. The platform layer is the only
// place in the system that keeps global state; on Windows the same state lives in the OS.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/host/double_control.h"

namespace host_double::detail {

// A value as the function of one width wrote it. Windows keeps text in UTF-16 and converts for the
// ANSI functions; the double keeps what was written and converts for the functions of the other
// width, which gives the same answers for every text that the code page holds.
struct HeldValue {
  std::uint32_t type = 0;
  std::string ansi;   // written by an A function or a test as such
  std::wstring wide;  // written by a W function or a test as such
  bool isWide = false;

  static HeldValue Ansi(std::uint32_t type, std::string bytes);
  static HeldValue Wide(std::uint32_t type, std::wstring text);
  [[nodiscard]] std::string AnsiBytes() const;
  [[nodiscard]] std::wstring WideText() const;
};

struct RegistryKeyData {
  // Value names compare without regard to case, as in Windows; the key is the lower-case name.
  std::map<std::string, HeldValue> values;
};

// A row of the fault table: what a call of its kind does instead of its work, once its turn has
// come.
struct Fault {
  Call call = Call::kRegistryOpen;
  std::uint32_t code = 0;
  std::exception_ptr exception;  // thrown instead of answering the code
  int callsToGo = 1;             // calls to count before its turn, that one included
  std::string hostPath;          // only calls about this file count; empty, every call
};

struct State {
  std::vector<Fault> faults;

  std::deque<int> answers;
  std::vector<ShownMessage> shown;
  std::vector<bool> busy;
  bool desktopVisible = true;

  bool previousInstance = false;
  std::wstring setupFolder;

  std::set<std::string> hidden;  // host paths
  std::set<std::string> system;
  std::set<std::string> readOnly;
  std::set<std::string> unreadable;

  // Keys by their full lower-case path, "hklm\software\...".
  std::map<std::string, RegistryKeyData> keys;
  std::map<platform::registry::Key, std::string> handles;
  platform::registry::Key nextHandle = 0x1000;
  std::vector<KeyRequest> keyRequests;
  int registryWrites = 0;

  std::vector<platform::odbc::InstallerError> installerErrors;
  std::vector<OdbcCall> odbcCalls;
};

State& TheState();

// Every call of the double goes through here first: the call counts towards each fault of its
// kind that concerns it (a file call names the files it is about), and the first fault whose turn
// has come is taken from the table: its exception is thrown, or its code is given. Nothing for a
// call that no fault takes, which then does its work.
std::optional<std::uint32_t> TakeFault(Call call,
                                       std::initializer_list<std::wstring_view> paths = {});

// The host path that a Windows-style path of the tests stands for: "\" reads as "/", and the drive
// C: is the host's root, so that "C:\tmp\x" is "/tmp/x".
std::string HostPath(std::wstring_view path);
// The name of a host file as Windows gives it back.
std::wstring FromHostName(std::string_view hostName);
// Whether a host file's name matches the last part of a listing's pattern, as FindFirstFileW
// matches it: "*" and "?", without regard to case, and "*.*" for every name.
bool MatchesPattern(std::wstring_view pattern, const std::string& hostName);

}  // namespace host_double::detail
