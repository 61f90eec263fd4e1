#include "platform/win32/dll_search.h"

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

}  // namespace platform::win32
