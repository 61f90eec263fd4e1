#include "platform/registry.h"

#include <windows.h>

#include <algorithm>

namespace platform::registry {

// The header spells out the windows.h values so that the layers above need no windows.h.
static_assert(kKeyRead == static_cast<std::uint32_t>(KEY_READ));
static_assert(kKeyAllAccess == static_cast<std::uint32_t>(KEY_ALL_ACCESS));
static_assert(kKeySetValue == static_cast<std::uint32_t>(KEY_SET_VALUE));
static_assert(Number(ErrorCode::kSuccess) == ERROR_SUCCESS &&
              Number(ErrorCode::kFileNotFound) == ERROR_FILE_NOT_FOUND &&
              Number(ErrorCode::kInvalidParameter) == ERROR_INVALID_PARAMETER &&
              Number(ErrorCode::kMoreData) == ERROR_MORE_DATA);
static_assert(kTypeString == REG_SZ && kTypeExpandString == REG_EXPAND_SZ &&
              kTypeDword == REG_DWORD && kTypeMultiString == REG_MULTI_SZ);
namespace {

HKEY ToHkey(Key key) {
  return reinterpret_cast<HKEY>(key);
}
Key FromHkey(HKEY key) {
  return reinterpret_cast<Key>(key);
}

// The registry functions answer a Win32 error code as a LONG.
ErrorCode CodeOf(LONG result) {
  return ErrorCode{static_cast<std::uint32_t>(result)};
}

// A key is owned only where the call succeeded: what a failed call leaves in its HKEY is no key.
KeyResult Opened(LONG result, HKEY key, DWORD disposition = 0) {
  return {CodeOf(result), OpenedKey(result == ERROR_SUCCESS ? FromHkey(key) : 0), disposition};
}

// A buffer larger than a DWORD can count is offered as the largest size a DWORD holds; no
// registry value comes near it.
DWORD BufferSize(std::size_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
}

}  // namespace

KeyResult OpenKey(Key root, const std::string& subKey, std::uint32_t access) {
  HKEY key = nullptr;
  const LONG result = ::RegOpenKeyExA(ToHkey(root), subKey.c_str(), 0, access, &key);
  return Opened(result, key);
}

ErrorCode QueryValue(Key key, const std::string& valueName, std::uint32_t& type,
                     std::span<char> data, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD valueSize = BufferSize(data.size());
  const LONG result = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(data.data()), &valueSize);
  type = valueType;
  size = valueSize;
  return CodeOf(result);
}

ErrorCode QueryValueWide(Key key, const std::wstring& valueName, std::uint32_t& type,
                         std::span<wchar_t> data, std::uint32_t& count) {
  DWORD valueType = 0;
  DWORD valueSize = BufferSize(data.size_bytes());
  const LONG result = ::RegQueryValueExW(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(data.data()), &valueSize);
  type = valueType;
  // A value of an odd number of bytes still needs a whole character to hold its last byte.
  count = (valueSize + 1) / sizeof(wchar_t);
  return CodeOf(result);
}

ErrorCode CloseKey(Key key) {
  return CodeOf(::RegCloseKey(ToHkey(key)));
}

KeyResult CreateKey(Key root, const std::string& subKey, std::uint32_t access) {
  // The class parameter is a writable buffer in the A signature, though it is only read.
  char noClass[] = "";
  // A zeroed record gives the key the default security of its parent, as a null pointer would.
  SECURITY_ATTRIBUTES security{0, nullptr, FALSE};
  HKEY key = nullptr;
  DWORD created = 0;
  const LONG result = ::RegCreateKeyExA(ToHkey(root), subKey.c_str(), 0, noClass, 0, access,
                                        &security, &key, &created);
  return Opened(result, key, created);
}

ErrorCode SetValue(Key key, const std::string& valueName, std::uint32_t type,
                   std::span<const char> data) {
  if (data.size() > MAXDWORD) {
    return ErrorCode::kInvalidParameter;
  }
  return CodeOf(::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())));
}

ErrorCode SetValueWide(Key key, const std::wstring& valueName, std::uint32_t type,
                       std::wstring_view text) {
  if (text.size() > MAXDWORD / sizeof(wchar_t)) {
    return ErrorCode::kInvalidParameter;
  }
  return CodeOf(::RegSetValueExW(ToHkey(key), valueName.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(text.data()),
                                 static_cast<DWORD>(text.size() * sizeof(wchar_t))));
}

ErrorCode DeleteValue(Key key, const std::wstring& valueName) {
  return CodeOf(::RegDeleteValueW(ToHkey(key), valueName.c_str()));
}

}  // namespace platform::registry
