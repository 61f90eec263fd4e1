// fakeodbc.dll: a stand-in for the setup half of the Access ODBC driver, which Wine does not have,
// so that the program's data-source registration runs against the real ODBC installer. It keeps
// the data source in the registry as a driver's ConfigDSN does, and records every call so that a
// test can check the exact attribute bytes.
//
// The installer hands a system request to the driver as the plain request (ODBC_ADD_DSN,
// ODBC_REMOVE_DSN) with the configuration mode already set to system; the driver writes wherever
// that mode points, so a test sees a user data source if the program asked for one. Wine's
// SQLWritePrivateProfileString writes the current user's ODBC.INI whatever the mode, so the
// attributes go straight into the key that the mode names, where Windows would put them.
//
// A machine can have the driver refuse every request, as a real driver refuses what it cannot
// take: a REG_DWORD value Refuse in the driver's ODBCINST.INI key holds the installer error that
// it posts (SQLPostInstallerError) before it answers FALSE.
#include <windows.h>

// An ANSI driver, as the Access driver's ConfigDSN is: the installer's plain names stay its ANSI
// entries, which UNICODE would map to the wide ones.
#define SQL_NOUNICODEMAP
#include <odbcinst.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

constexpr const char* kLogVariable = "TESSAL_FAKE_ODBC_LOG";

struct KeyCloser {
  void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct Attribute {
  std::string key;
  std::string value;
};

// The entries of a list of NUL-terminated strings that ends with an empty one.
std::vector<std::string_view> Entries(const char* list) {
  std::vector<std::string_view> entries;
  if (list == nullptr) {
    return entries;
  }
  for (std::string_view entry = list; !entry.empty(); entry = list) {
    entries.push_back(entry);
    list += entry.size() + 1;
  }
  return entries;
}

std::vector<Attribute> Attributes(const char* list) {
  std::vector<Attribute> attributes;
  for (const std::string_view entry : Entries(list)) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      attributes.push_back({std::string(entry), {}});
    } else {
      attributes.push_back(
          {std::string(entry.substr(0, equals)), std::string(entry.substr(equals + 1))});
    }
  }
  return attributes;
}

// Attribute keywords are case-insensitive, as the installer's are.
std::optional<std::string> Find(const std::vector<Attribute>& attributes, const char* key) {
  for (const Attribute& attribute : attributes) {
    if (::lstrcmpiA(attribute.key.c_str(), key) == 0) {
      return attribute.value;
    }
  }
  return std::nullopt;
}

// "REQUEST DRIVER ATTRIBUTES", each NUL of the list, its final one included, shown as "|".
void Record(WORD request, const char* driver, const char* list) {
  char path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA(kLogVariable, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  std::string line = std::to_string(request) + ' ' + (driver ? driver : "") + ' ';
  for (const std::string_view entry : Entries(list)) {
    line += entry;
    line += '|';
  }
  line += "|\n";
  const std::unique_ptr<FILE, decltype(&std::fclose)> log(std::fopen(path, "ab"), &std::fclose);
  if (log) {
    std::fwrite(line.data(), 1, line.size(), log.get());
  }
}

// Puts the installer into one configuration mode and the caller's mode back on every way out.
class ConfigModeScope {
 public:
  explicit ConfigModeScope(UWORD mode) {
    entered_ = ::SQLGetConfigMode(&previous_) && ::SQLSetConfigMode(mode);
  }
  ~ConfigModeScope() {
    if (entered_) {
      ::SQLSetConfigMode(previous_);
    }
  }
  ConfigModeScope(const ConfigModeScope&) = delete;
  ConfigModeScope& operator=(const ConfigModeScope&) = delete;

  bool entered() const { return entered_; }

 private:
  UWORD previous_ = ODBC_BOTH_DSN;
  bool entered_ = false;
};

// Every attribute but the DSN itself, as a string value of the data source's key.
bool WriteAttributes(const std::string& dsn, const std::vector<Attribute>& attributes) {
  UWORD mode = ODBC_USER_DSN;
  if (!::SQLGetConfigMode(&mode)) {
    return false;
  }
  const HKEY root = mode == ODBC_SYSTEM_DSN ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const std::string path = "Software\\ODBC\\ODBC.INI\\" + dsn;
  HKEY opened = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueKey key(opened);
  for (const Attribute& attribute : attributes) {
    if (::lstrcmpiA(attribute.key.c_str(), "DSN") == 0) {
      continue;
    }
    const auto* data = reinterpret_cast<const BYTE*>(attribute.value.c_str());
    const auto size = static_cast<DWORD>(attribute.value.size() + 1);
    if (::RegSetValueExA(key.get(), attribute.key.c_str(), 0, REG_SZ, data, size) !=
        ERROR_SUCCESS) {
      return false;
    }
  }
  return true;
}

// The Access driver cannot do without its database file, so a list without DBQ is refused.
bool AddDataSource(const char* driver, const std::vector<Attribute>& attributes) {
  const std::optional<std::string> dsn = Find(attributes, "DSN");
  return dsn && Find(attributes, "DBQ") && ::SQLWriteDSNToIni(dsn->c_str(), driver) &&
         WriteAttributes(*dsn, attributes);
}

bool RemoveDataSource(const std::vector<Attribute>& attributes) {
  const std::optional<std::string> dsn = Find(attributes, "DSN");
  return dsn && ::SQLRemoveDSNFromIni(dsn->c_str());
}

std::optional<DWORD> Refusal(const char* driver) {
  const std::string key = std::string("Software\\ODBC\\ODBCINST.INI\\") + (driver ? driver : "");
  DWORD code = 0;
  DWORD size = sizeof(code);
  if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "Refuse", RRF_RT_REG_DWORD, nullptr, &code,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return code;
}

bool Configure(WORD request, const char* driver, const std::vector<Attribute>& attributes) {
  switch (request) {
    case ODBC_ADD_DSN:
      return AddDataSource(driver, attributes);
    case ODBC_REMOVE_DSN:
      return RemoveDataSource(attributes);
    case ODBC_ADD_SYS_DSN: {
      const ConfigModeScope system(ODBC_SYSTEM_DSN);
      return system.entered() && AddDataSource(driver, attributes);
    }
    case ODBC_REMOVE_SYS_DSN: {
      const ConfigModeScope system(ODBC_SYSTEM_DSN);
      return system.entered() && RemoveDataSource(attributes);
    }
    default:
      return false;
  }
}

}  // namespace

extern "C" BOOL WINAPI ConfigDSN(HWND /*parent*/, WORD request, LPCSTR driver, LPCSTR attributes) {
  Record(request, driver, attributes);
  if (const std::optional<DWORD> refusal = Refusal(driver)) {
    ::SQLPostInstallerError(*refusal, "refused by the stand-in driver");
    return FALSE;
  }
  return Configure(request, driver, Attributes(attributes)) ? TRUE : FALSE;
}
