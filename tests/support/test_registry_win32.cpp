// The scratch key in the prefix's registry, read on the A functions directly so that the helper
// never depends on the routines it helps to test.
#include <windows.h>

#include "tests/support/test_registry.h"

namespace test_support {

ScratchKey::ScratchKey() {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratchSubKey);
}

ScratchKey::~ScratchKey() {
  ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratchSubKey);
}

std::optional<StoredValue> ReadValue(const std::string& subKey, const std::string& name) {
  char data[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof data;
  if (::RegGetValueA(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type, data, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return StoredValue{type, std::string(data, size)};
}

bool KeyExists(const std::string& subKey) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

}  // namespace test_support
