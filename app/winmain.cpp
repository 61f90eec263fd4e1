// The entry point of setup.exe. The program has no window of its own and shows itself only
// through message boxes, so there is no message loop here: the run decides the exit code.
#include <windows.h>

#include "app/program.h"
#include "platform/win32/dll_search.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPWSTR /*commandLine*/,
                    int /*showCommand*/) {
  // Before anything can load a DLL: the program runs with administrator rights from a folder that
  // others may be able to write to. Whatever the system allows is the best there is, so the run
  // goes on either way.
  platform::win32::RestrictDllSearch();
  // The whole command line, which the program splits itself; the one that wWinMain is given lacks
  // the program's name. Wide: a log's path may hold characters that the ANSI one would lose.
  return app::RunProgram(::GetCommandLineW());
}
