// The entry point of setup.exe. The program has no window of its own and shows itself only
// through message boxes, so there is no message loop here: the run decides the exit code.
//
// WinMain, not wWinMain: building with -municode would also switch the ODBC installer's
// SQLConfigDataSource to its wide form, and the attribute lists handed to it are ANSI bytes.
#include <windows.h>

#include "app/run.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  return app::Run();
}
