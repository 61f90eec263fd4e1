// The test file helpers on Win32, written on the system calls directly so that they never depend
// on the platform layer they help to test.
#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "tests/support/test_files.h"

namespace test_support {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
  void operator()(HANDLE handle) const { ::FindClose(handle); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string(what) + " failed with " + std::to_string(::GetLastError()));
}

// Shared with writers, as an editor opens a log that a program still appends to.
FileHandle Open(const std::wstring& path, DWORD access, DWORD disposition) {
  const HANDLE handle = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Fail("CreateFileW");
  }
  return FileHandle(handle);
}

void AddAttributes(const std::wstring& path, DWORD added) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !::SetFileAttributesW(path.c_str(), attributes | added)) {
    Fail("SetFileAttributesW");
  }
}

// Removes a tree whatever its attributes, as far as it can: a left-over only costs disk space.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const FindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &entry));
  if (find.get() != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(child);
      } else {
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find.get(), &entry));
  }
  ::RemoveDirectoryW(path.c_str());
}

std::wstring TempRoot() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) {
    Fail("GetTempPathW");
  }
  return std::wstring(buffer, length);  // ends in "\"
}

}  // namespace

TempFolder::TempFolder() {
  static unsigned counter = 0;
  const std::wstring root = TempRoot() + L"tessal-test-" + std::to_wstring(::GetCurrentProcessId());
  for (;;) {
    path_ = root + L"-" + std::to_wstring(++counter);
    if (::CreateDirectoryW(path_.c_str(), nullptr)) {
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      Fail("CreateDirectoryW");
    }
  }
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  const FileHandle file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    Fail("WriteFile");
  }
}

std::string ReadBytes(const std::wstring& path) {
  const FileHandle file = Open(path, GENERIC_READ, OPEN_EXISTING);
  std::string bytes;
  char buffer[64 * 1024];
  DWORD read = 0;
  do {
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
      Fail("ReadFile");
    }
    bytes.append(buffer, read);
  } while (read != 0);
  return bytes;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFolders(const std::wstring& path) {
  if (IsFolder(path)) {
    return;
  }
  const std::size_t separator = path.rfind(L'\\');
  if (separator != std::wstring::npos && separator > 0 && path[separator - 1] != L':') {
    MakeFolders(path.substr(0, separator));
  }
  if (!::CreateDirectoryW(path.c_str(), nullptr)) {
    Fail("CreateDirectoryW");
  }
}

void MarkHidden(const std::wstring& path) {
  AddAttributes(path, FILE_ATTRIBUTE_HIDDEN);
}

void MarkSystem(const std::wstring& path) {
  AddAttributes(path, FILE_ATTRIBUTE_SYSTEM);
}

void MarkReadOnly(const std::wstring& path) {
  AddAttributes(path, FILE_ATTRIBUTE_READONLY);
}

bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    Fail("GetFileAttributesW");
  }
  return (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace test_support
