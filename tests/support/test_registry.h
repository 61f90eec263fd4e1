// A registry key of the tests' own, under HKEY_CURRENT_USER, which a user who is no administrator
// may write: the double's store on the host, the prefix's registry under Wine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace test_support {

inline constexpr char kScratchSubKey[] = "Software\\tessal-setup-routines";
inline constexpr wchar_t kScratchKey[] = L"HKEY_CURRENT_USER\\Software\\tessal-setup-routines";

// The key is missing while it lives, until the code under test makes it. On the host it starts
// from an empty double, and fails the test that leaves a key of the double open.
class ScratchKey {
 public:
  ScratchKey();
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;
};

// A value as RegQueryValueExA hands it over: its type, and ANSI bytes with whatever NUL they hold.
struct StoredValue {
  std::uint32_t type = 0;
  std::string bytes;
  bool operator==(const StoredValue&) const = default;
};

// Below HKEY_CURRENT_USER.
std::optional<StoredValue> ReadValue(const std::string& subKey, const std::string& name);
bool KeyExists(const std::string& subKey);

}  // namespace test_support
