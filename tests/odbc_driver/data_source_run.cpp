// Registers the application's data source as the setup run does: the old one removed, then the new
// one added, a failure shown in a message box.
#include "common/data_source.h"

int wmain() {
  // What the test reads is the installer's registry and the box, not these results.
  static_cast<void>(common::RemoveDataSource(L"TESSAL"));
  static_cast<void>(common::AddDataSource(L"TESSAL", L"C:\\Tomcat\\webapps\\tessal\\TESSAL.mdb"));
  return 0;
}
