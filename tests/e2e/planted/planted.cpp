// ODBCCP32.dll as an attacker would lay it beside setup.exe: a DLL of the ODBC installer's name
// that proves it ran by leaving a marker file beside itself, naming its own path. It exports the
// entry that the program asks the installer for, so a program that imports it loads it happily.
#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"

namespace {

constexpr char kMarkerName[] = "planted-dll-ran.txt";

// Nothing here loads another DLL: DllMain runs under the loader lock.
void LeaveMarker(HINSTANCE self) {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  std::string marker(path, length);
  marker.erase(marker.rfind('\\') + 1);
  marker += kMarkerName;
  const platform::win32::UniqueFile file(::CreateFileA(
      marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    ::WriteFile(file.get(), path, length, &written, nullptr);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    LeaveMarker(self);
  }
  return TRUE;
}

// Registers nothing: the planted copy is no ODBC installer.
extern "C" __declspec(dllexport) BOOL WINAPI
    SQLConfigDataSource(HWND /*parent*/, WORD /*request*/, LPCSTR /*driver*/,
                        LPCSTR /*attributes*/) {
  return FALSE;
}
