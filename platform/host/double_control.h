// Control over the host double of the platform layer, for the tests on Linux. The double keeps
// the files real (POSIX files below a test's folder; "\" in a path reads as "/", and the drive C:
// is the host's root), and stands in for everything else: an in-memory registry that answers with
// Win32 result codes, scripted message-box answers with a record of every box, recorded ODBC
// calls with scripted installer errors.
//
// What can fail here: what real files do (a file or folder that is missing, a file marked
// unreadable or read-only below), and each call of Call below, through one table of faults: the
// failures that the routines above the platform layer are tested to survive. Nothing else can be
// made to fail, and so none of the Win32 half's own ways to fail can be reached from here: among
// them a listing that fails after its first names (FindNextFileW), the choice of the file that a
// failed CopyFileW is reported about, taking the read-only attribute off a copy, a read that fails
// part way through a file, a folder made or a log written where the disk is full, the text
// conversions, the digests' provider and the program's own path. The instance guard takes
// scripted answers through platform::GuardCalls instead.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/odbc.h"
#include "platform/registry.h"

namespace host_double {

// Forgets every script, record, fault, registry key and file attribute.
void Reset();

// --- Faults ------------------------------------------------------------------------------------
// The calls that a test can make fail, as the double takes them.
enum class Call {
  kRegistryOpen,     // RegOpenKeyExA
  kRegistryQuery,    // RegQueryValueExA or W
  kRegistryClose,    // RegCloseKey
  kRegistryCreate,   // RegCreateKeyExA
  kRegistrySet,      // RegSetValueExA or W
  kRegistryDelete,   // RegDeleteValueW
  kCopyFile,         // about its source or its destination; fails about the destination
  kOpenForWriting,   // a text file opened to be written, and emptied
  kWrite,            // the lines that a text file's writer holds, handed to the file
  kClose,            // a text file closed, read or written
  kListing,          // a folder listed, before it yields any name
  kConfigDataSource  // an ODBC installer request
};

// Which call of its kind a fault takes: the nth from the moment the fault was set (1, the next
// one), counting only the calls about the path when one is given. A registry or ODBC call is
// about no path. A fault whose turn comes at a call that an earlier fault takes waits for the
// next call.
struct Which {
  int nth = 1;
  std::wstring path;
};
// The nth call of the kind, whatever it is about; the nth about the file or folder.
inline Which Nth(int nth) {
  return {nth, {}};
}
inline Which About(std::wstring path, int nth = 1) {
  return {nth, std::move(path)};
}

// That call fails with the Win32 code and does nothing else: a registry call answers the code;
// a file call throws the platform's failure of that code about its file (of a copy, about the
// destination); an ODBC request fails, and the installer holds the errors of
// ScriptInstallerErrors, or without them one error of that code.
void Fail(Call call, std::uint32_t code, const Which& which = {});
// That call throws the exception instead, as an allocation that fails would: a failure that is
// not the platform's own, which a routine must still trap. Not for the calls that destructors
// make, which must not throw: a registry key's close, a text file's last write.
void Throw(Call call, std::exception_ptr exception, const Which& which = {});
// The code of a request that the ODBC installer refused (ODBC_ERROR_REQUEST_FAILED), for a fault
// of an ODBC request that needs no other.
inline constexpr std::uint32_t kOdbcRequestFailed = 11;

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
// Whether the program's window station is the visible one (it is until set otherwise).
void SetDesktopVisible(bool visible);

// --- The running program -----------------------------------------------------------------------
void SetPreviousInstance(bool running);
void SetSetupFolder(std::wstring folder);

// --- Files -------------------------------------------------------------------------------------
// Windows keeps these attributes on the file; the double keeps them beside it, by path. A
// read-only file is refused to every writer, root too, as Windows refuses it to an administrator.
void SetHidden(const std::wstring& path);
void SetSystem(const std::wstring& path);
void SetReadOnly(const std::wstring& path);
// A file that is there but that no one may open to read: no read right on a share, or encrypted
// by another account.
void SetUnreadable(const std::wstring& path);
bool IsReadOnly(const std::wstring& path);

// --- Registry ----------------------------------------------------------------------------------
struct StoredValue {
  std::uint32_t type = 0;
  std::string bytes;  // as RegQueryValueExA hands them out: ANSI, with whatever NUL was stored
};
// A key that the program asked for, as RegOpenKeyExA or RegCreateKeyExA received it: Windows
// grants no more than the access asked for, so what is asked is part of what a call does.
struct KeyRequest {
  Call call = Call::kRegistryOpen;
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
// Handles opened or created and not yet closed.
int OpenKeyCount();
// Every open and create the program asked for, in order.
const std::vector<KeyRequest>& KeyRequests();
// The sub-key paths of the opens among them.
std::vector<std::string> OpenedSubKeys();
// How many calls have written to the registry (creates, sets and deletes).
int RegistryWriteCount();

// --- ODBC --------------------------------------------------------------------------------------
struct OdbcCall {
  std::uint16_t request = 0;
  std::string driver;
  std::string attributes;  // every byte handed over, the string's own terminating NUL included
};
// The errors that the installer holds after each request that fails, until scripted again.
void ScriptInstallerErrors(std::vector<platform::odbc::InstallerError> errors);
const std::vector<OdbcCall>& OdbcCalls();

}  // namespace host_double
