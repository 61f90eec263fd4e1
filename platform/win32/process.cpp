#include "platform/process.h"

#include <windows.h>

#include "platform/failure.h"
#include "platform/win32/unique_handle.h"

namespace platform {
namespace {

// In the Global namespace so that a copy started in another session, or by another user, is seen.
constexpr wchar_t kInstanceMutexName[] = L"Global\\tessal-setup-instance";

struct InstanceGuard {
  win32::UniqueKernelObject mutex;
  bool previousRunning = false;
};

InstanceGuard TakeInstanceGuard() {
  InstanceGuard guard;
  guard.mutex.reset(::CreateMutexW(nullptr, FALSE, kInstanceMutexName));
  const DWORD error = ::GetLastError();
  if (!guard.mutex) {
    // A mutex made by a copy run by another user cannot be opened with full access by this one.
    if (error != ERROR_ACCESS_DENIED) {
      throw SystemFailure(error);
    }
    guard.previousRunning = true;
  } else {
    guard.previousRunning = error == ERROR_ALREADY_EXISTS;
  }
  return guard;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      throw LastSystemFailure();
    }
    // A path that fills the buffer completely may have been cut short.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

bool IsPreviousInstanceRunning() {
  // Held for the life of the process: the mutex is what a later copy finds.
  static const InstanceGuard guard = TakeInstanceGuard();
  return guard.previousRunning;
}

std::wstring SetupFolder() {
  std::wstring path = ModulePath();
  const std::size_t separator = path.rfind(L'\\');
  if (separator != std::wstring::npos) {
    path.erase(separator);
  }
  return path;
}

}  // namespace platform
