#include "platform/win32/dll_search.h"

#include <string>

namespace platform::win32 {
namespace {

// Looked up rather than imported: a Windows 7 without KB2533623 lacks it, and an import that the
// system cannot resolve would stop the program before it starts.
bool SearchSystemFolderOnly() {
  const auto setDefaultDllDirectories = EntryPoint<decltype(&::SetDefaultDllDirectories)>(
      ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  return setDefaultDllDirectories != nullptr &&
         setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

// The system folder, without a trailing "\"; empty if the system does not say.
std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace

DllSearch RestrictDllSearch() {
  if (SearchSystemFolderOnly()) {
    return DllSearch::kSystemFolderOnly;
  }
  if (::SetDllDirectoryW(L"")) {
    return DllSearch::kWithoutCurrentFolder;
  }
  return DllSearch::kUnchanged;
}

UniqueModule LoadSystemDll(const wchar_t* fileName) {
  UniqueModule module(::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // A system without KB2533623 refuses the flag itself. There the full path names the file, and
  // the altered search path has the DLL's own imports looked for in its folder, the system folder,
  // instead of the program's.
  if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    const std::wstring folder = SystemFolder();
    if (!folder.empty()) {
      module.reset(::LoadLibraryExW((folder + L'\\' + fileName).c_str(), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH));
    }
  }
  return module;
}

}  // namespace platform::win32
