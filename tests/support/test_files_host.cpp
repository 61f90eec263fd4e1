// Test files on the host: real POSIX files below a fresh folder in /tmp.
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/host/double_control.h"
#include "platform/host/double_state.h"
#include "support/test_files.h"

namespace test_support {
namespace {

std::filesystem::path Host(const std::wstring& path) {
  return host_double::detail::HostPath(path);
}

}  // namespace

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "setup-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  // On the drive C: of the double, so that its paths are full paths as a Windows folder's are.
  path_ = L"C:" + std::filesystem::path(pattern).wstring();
  std::replace(path_.begin(), path_.end(), L'/', L'\\');
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Host(path_), ignored);
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  std::ofstream out(Host(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write test file");
  }
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(Host(path), std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read test file");
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::wstring& path) {
  return std::filesystem::exists(Host(path));
}
bool IsFolder(const std::wstring& path) {
  return std::filesystem::is_directory(Host(path));
}
void MakeFolders(const std::wstring& path) {
  std::filesystem::create_directories(Host(path));
}
void MarkHidden(const std::wstring& path) {
  host_double::SetHidden(path);
}
void MarkSystem(const std::wstring& path) {
  host_double::SetSystem(path);
}
void MarkReadOnly(const std::wstring& path) {
  host_double::SetReadOnly(path);
}
bool IsReadOnly(const std::wstring& path) {
  return host_double::IsReadOnly(path);
}

}  // namespace test_support
