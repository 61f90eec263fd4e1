// Registers the application's data source as the setup run does: the old one removed, then the new
// one added, a failure shown in a message box.
#include "common/data_source.h"

int wmain() {
  common::RemoveDataSource(L"TESSAL");
  common::AddDataSource(L"TESSAL", L"C:\\Tomcat\\webapps\\tessal\\TESSAL.mdb");
  return 0;
}
