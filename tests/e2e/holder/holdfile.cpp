// holdfile: opens a file without sharing it, as a running Tomcat holds its jars, until told to
// let go. A copy onto the file meanwhile fails as it fails on Windows, with a sharing violation.
//
//   holdfile FILE HELD RELEASE
//
// Creates HELD once the file is open and closes the file when RELEASE exists. Exit code 0, or 1
// if the file cannot be opened (HELD is then never created).
#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace {

constexpr DWORD kPollMilliseconds = 20;

bool Exists(const wchar_t* path) {
  return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool Touch(const wchar_t* path) {
  const platform::win32::UniqueFile file(::CreateFileW(
      path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    return 2;
  }
  const platform::win32::UniqueFile held(::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0,
                                                       nullptr, OPEN_EXISTING,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held || !Touch(argv[2])) {
    return 1;
  }
  while (!Exists(argv[3])) {
    ::Sleep(kPollMilliseconds);
  }
  return 0;
}
