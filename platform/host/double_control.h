// Control over the host double of the platform layer, for the tests on Linux. The double keeps
// the files real (POSIX files below a test's folder; "\" in a path reads as "/", and the drive C:
// is the host's root), and stands in for everything else: an in-memory registry that answers with
// Win32 result codes, scripted message-box answers with a record of every box, recorded ODBC
// calls with scripted results and installer errors.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc.h"
#include "platform/registry.h"

namespace host_double {

// Forgets every script, record, registry key and file attribute.
void Reset();

// --- Message boxes and the pointer -------------------------------------------------------------
struct ShownMessage {
  std::wstring prompt;
  int code = 0;
  std::optional<std::wstring> caption;
};
// Answers for the coming boxes, in order. A box with only OK needs no answer; a Yes/No box
// without one is a fault of the test and throws std::logic_error.
void ScriptAnswers(std::vector<int> answers);
// The boxes that reached the screen: a message that an installed sink takes is none of them.
const std::vector<ShownMessage>& ShownMessages();
const std::vector<bool>& BusyPointerChanges();

// --- The running program -----------------------------------------------------------------------
void SetPreviousInstance(bool running);
void SetSetupFolder(std::wstring folder);
// What EndProgram throws on the host, so that a test sees the end instead of losing its process.
struct ProgramEnded {
  int exitCode;
};

// --- Files -------------------------------------------------------------------------------------
// Windows keeps these attributes on the file; the double keeps them beside it, by path. A
// read-only file is refused to every writer, root too, as Windows refuses it to an administrator.
void SetHidden(const std::wstring& path);
void SetSystem(const std::wstring& path);
void SetReadOnly(const std::wstring& path);
bool IsReadOnly(const std::wstring& path);
// The next listing throws the exception instead of listing: a failure that is not the platform's
// own, such as an allocation that fails, where a routine must still trap it.
void ThrowAtNextListing(std::exception_ptr exception);

// --- Registry ----------------------------------------------------------------------------------
struct StoredValue {
  std::uint32_t type = 0;
  std::string bytes;  // as RegQueryValueExA hands them out: ANSI, with whatever NUL was stored
};
enum class RegistryCall { kOpen, kQuery, kClose, kCreate, kSet };
// A key that the program asked for, as RegOpenKeyExA or RegCreateKeyExA received it: Windows
// grants no more than the access asked for, so what is asked is part of what a call does.
struct KeyRequest {
  RegistryCall call = RegistryCall::kOpen;
  std::string subKey;
  std::uint32_t access = 0;
  bool operator==(const KeyRequest&) const = default;
};

void PutKey(platform::registry::Key root, const std::string& subKey);
void PutValue(platform::registry::Key root, const std::string& subKey, const std::string& name,
              std::uint32_t type, std::string bytes);
// A text value as the A functions store it: ANSI bytes and their terminating NUL.
void PutString(platform::registry::Key root, const std::string& subKey, const std::string& name,
               const std::string& ansi, std::uint32_t type = platform::registry::kTypeString);
// A text value as the W functions store it: every character, and its terminating NUL.
void PutText(platform::registry::Key root, const std::string& subKey, const std::string& name,
             std::wstring_view text, std::uint32_t type = platform::registry::kTypeString);
bool KeyExists(platform::registry::Key root, const std::string& subKey);
// A value as RegQueryValueExA gives it.
std::optional<StoredValue> GetValue(platform::registry::Key root, const std::string& subKey,
                                    const std::string& name);
// A value as RegQueryValueExW gives it: every character stored, NULs included.
struct StoredText {
  std::uint32_t type = 0;
  std::wstring text;
};
std::optional<StoredText> GetText(platform::registry::Key root, const std::string& subKey,
                                  const std::string& name);
// The next call of that kind answers the code and does nothing else.
void FailNext(RegistryCall call, long code);
// The next call of that kind throws the exception instead, as an allocation that fails would in
// the middle of a routine; a close is made in destructors and never throws.
void ThrowAtNext(RegistryCall call, std::exception_ptr exception);
// Handles opened or created and not yet closed.
int OpenKeyCount();
// Every open and create the program asked for, in order.
const std::vector<KeyRequest>& KeyRequests();
// The sub-key paths of the opens among them.
std::vector<std::string> OpenedSubKeys();
// How many calls have written to the registry (creates and sets).
int RegistryWriteCount();

// --- ODBC --------------------------------------------------------------------------------------
struct OdbcCall {
  std::uint16_t request = 0;
  std::string driver;
  std::string attributes;  // every byte handed over, the string's own terminating NUL included
};
// Results for the coming calls, in order; without a script a call succeeds.
void ScriptOdbcResults(std::vector<bool> results);
// The errors that the installer holds after each call that fails, until scripted again; none
// without a script.
void ScriptInstallerErrors(std::vector<platform::odbc::InstallerError> errors);
const std::vector<OdbcCall>& OdbcCalls();

}  // namespace host_double
