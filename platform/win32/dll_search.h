// Where the program takes DLLs from. It runs with administrator rights from wherever the
// distribution was put, often a folder that others can write to, so a DLL is taken from the
// system folder only, never from the program's folder or the current folder.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace platform::win32 {

// How far the system let the search be narrowed, best first.
enum class DllSearch {
  // SetDefaultDllDirectories: Windows 8 and later, and Windows 7 with KB2533623.
  kSystemFolderOnly,
  // SetDllDirectoryW(""): the current folder leaves the search, but the program's folder is still
  // searched first.
  kWithoutCurrentFolder,
  kUnchanged,
};

// Narrows the search of every later DLL load in this process, the system's own loads included, as
// far as the system allows. It cannot reach the DLLs that the program imports: Windows loads those
// before the program runs.
DllSearch RestrictDllSearch();

// Loads a DLL from the system folder whatever the search order; an empty owner if it is not there.
[[nodiscard]] UniqueModule LoadSystemDll(const wchar_t* fileName);

// An entry point of a loaded DLL as the function type the caller knows it by; null if the DLL
// lacks it.
template <typename Function>
[[nodiscard]] Function EntryPoint(HMODULE module, const char* name) {
  // GetProcAddress gives every entry one type; void (*)() converts to any function type without
  // the compiler taking the cast for a mistake.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace platform::win32
