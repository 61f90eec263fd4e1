#include "platform/registry.h"

#include <windows.h>

#include <algorithm>

namespace platform::registry {

// The header spells out the windows.h values so that the layers above need no windows.h.
static_assert(kKeyRead == static_cast<std::uint32_t>(KEY_READ));
static_assert(kKeyAllAccess == static_cast<std::uint32_t>(KEY_ALL_ACCESS));
static_assert(kKeySetValue == static_cast<std::uint32_t>(KEY_SET_VALUE));
static_assert(kSuccess == ERROR_SUCCESS && kFileNotFound == ERROR_FILE_NOT_FOUND &&
              kMoreData == ERROR_MORE_DATA);
static_assert(kTypeString == REG_SZ && kTypeExpandString == REG_EXPAND_SZ &&
              kTypeDword == REG_DWORD && kTypeMultiString == REG_MULTI_SZ);
namespace {

HKEY ToHkey(Key key) {
  return reinterpret_cast<HKEY>(key);
}
Key FromHkey(HKEY key) {
  return reinterpret_cast<Key>(key);
}

// A buffer larger than a DWORD can count is offered as the largest size a DWORD holds; no
// registry value comes near it.
DWORD BufferSize(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
}

}  // namespace

long OpenKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened) {
  HKEY key = nullptr;
  const LONG result = ::RegOpenKeyExA(ToHkey(root), subKey.c_str(), 0, access, &key);
  opened = FromHkey(key);
  return result;
}

long QueryValue(Key key, const std::string& valueName, std::uint32_t& type, std::span<char> data,
                std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD valueSize = BufferSize(data.size());
  const LONG result = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(data.data()), &valueSize);
  type = valueType;
  size = valueSize;
  return result;
}

long QueryValueWide(Key key, const std::wstring& valueName, std::uint32_t& type,
                    std::span<wchar_t> data, std::uint32_t& count) {
  DWORD valueType = 0;
  DWORD valueSize = BufferSize(data.size_bytes());
  const LONG result = ::RegQueryValueExW(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(data.data()), &valueSize);
  type = valueType;
  // A value of an odd number of bytes still needs a whole character to hold its last byte.
  count = (valueSize + 1) / sizeof(wchar_t);
  return result;
}

long CloseKey(Key key) {
  return ::RegCloseKey(ToHkey(key));
}

long CreateKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened,
               std::uint32_t& disposition) {
  // The class parameter is a writable buffer in the A signature, though it is only read.
  char noClass[] = "";
  // A zeroed record gives the key the default security of its parent, as a null pointer would.
  SECURITY_ATTRIBUTES security{0, nullptr, FALSE};
  HKEY key = nullptr;
  DWORD created = 0;
  const LONG result = ::RegCreateKeyExA(ToHkey(root), subKey.c_str(), 0, noClass, 0, access,
                                        &security, &key, &created);
  opened = FromHkey(key);
  disposition = created;
  return result;
}

long SetValue(Key key, const std::string& valueName, std::uint32_t type,
              std::span<const char> data) {
  if (data.size() > MAXDWORD) {
    return ERROR_INVALID_PARAMETER;
  }
  return ::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
}

long SetValueWide(Key key, const std::wstring& valueName, std::uint32_t type,
                  std::wstring_view text) {
  if (text.size() > MAXDWORD / sizeof(wchar_t)) {
    return ERROR_INVALID_PARAMETER;
  }
  return ::RegSetValueExW(ToHkey(key), valueName.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(text.data()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

long DeleteValue(Key key, const std::wstring& valueName) {
  return ::RegDeleteValueW(ToHkey(key), valueName.c_str());
}

}  // namespace platform::registry
