// Files for tests on either platform: a throwaway folder, raw bytes in and out, the hidden and
// system attributes that the listing must honour and the read-only one that writers must. Paths are
// joined with "\" on both platforms; the host double reads "\" as "/".
#pragma once

#include <string>
#include <string_view>

namespace test_support {

// A fresh empty folder, removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring operator/(std::wstring_view name) const {
    return path_ + L"\\" + std::wstring(name);
  }

 private:
  std::wstring path_;
};

void WriteBytes(const std::wstring& path, std::string_view bytes);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
void MakeFolders(const std::wstring& path);  // with every missing parent
void MarkHidden(const std::wstring& path);
void MarkSystem(const std::wstring& path);
void MarkReadOnly(const std::wstring& path);
bool IsReadOnly(const std::wstring& path);

}  // namespace test_support
