#include "common/registry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <span>

#include "common/error_trap.h"
#include "platform/failure.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace common {
namespace {

namespace registry = platform::registry;
using platform::ErrorCode;

// The read buffer: 509 ANSI bytes of text and the NUL that ends it.
constexpr std::size_t kReadBufferSize = 510;
// A whole text value is read through a buffer that grows to its size; most fit the first.
constexpr std::size_t kFirstTextBufferSize = 1024;

struct SplitPath {
  std::wstring rootName;
  std::wstring subKey;
};

// The root name is everything before the first "\", the sub-key everything after it.
SplitPath Split(std::wstring_view registryPath) {
  const auto separator = registryPath.find(L'\\');
  if (separator == std::wstring_view::npos) {
    throw platform::TextCannotBeCut();
  }
  return {std::wstring(registryPath.substr(0, separator)),
          std::wstring(registryPath.substr(separator + 1))};
}

// Root names compare exactly: "hkey_local_machine" is no root.
std::optional<registry::Key> LookUpRoot(std::wstring_view rootName) {
  struct Root {
    std::wstring_view name;
    registry::Key key;
  };
  static constexpr std::array<Root, 4> kRoots{{
      {L"HKEY_LOCAL_MACHINE", registry::kLocalMachine},
      {L"HKEY_CURRENT_USER", registry::kCurrentUser},
      {L"HKEY_CLASSES_ROOT", registry::kClassesRoot},
      {L"HKEY_USERS", registry::kUsers},
  }};
  for (const Root& root : kRoots) {
    if (root.name == rootName) {
      return root.key;
    }
  }
  return std::nullopt;
}

void ReportWrongRoot(std::wstring_view rootName) {
  ShowWarning(L"ハンドル値が間違っています " + std::wstring(rootName));
}

void Report(std::wstring_view what, std::wstring_view registryPath, std::wstring_view valueName,
            std::wstring_view value = {}) {
  std::wstring text(what);
  text += registryPath;
  text += valueName;
  text += value;
  ShowWarning(text);
}

// A decimal number that fits 32 bits, spaces around it allowed.
std::int32_t ParseNumber(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  const auto last = text.find_last_not_of(L' ');
  std::string digits;
  if (first != std::wstring_view::npos) {
    for (const wchar_t c : text.substr(first, last - first + 1)) {
      if (c > 0x7F) {
        throw platform::NotANumber(text);
      }
      digits += static_cast<char>(c);
    }
  }
  std::int32_t number = 0;
  // from_chars takes a minus but no plus; a plus is skipped only before a digit.
  const bool plus = digits.size() > 1 && digits[0] == '+' && digits[1] >= '0' && digits[1] <= '9';
  const char* const begin = digits.data() + (plus ? 1 : 0);
  const char* const end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(begin, end, number);
  if (digits.empty() || error != std::errc() || stop != end) {
    throw platform::NotANumber(text);
  }
  return number;
}

// The bytes that RegSetValueExA receives for the value.
std::optional<std::string> ValueData(std::wstring_view value, std::int16_t valueType) {
  switch (valueType) {
    case registry::kTypeString:
    case registry::kTypeExpandString:
    case registry::kTypeMultiString: {
      // One terminating NUL, for REG_MULTI_SZ too: the value is written as a single string.
      std::string ansi = platform::ToAnsi(value);
      ansi.push_back('\0');
      return ansi;
    }
    case registry::kTypeDword: {
      const auto number = static_cast<std::uint32_t>(ParseNumber(value));
      std::string bytes(4, '\0');
      for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
      }
      return bytes;
    }
    default:
      return std::nullopt;
  }
}

// How opening a key to read one of its values went.
enum class Opened {
  kOpen,
  kMissing,   // the key does not exist: nothing has been shown
  kReported,  // any other failure, which has been shown
};

Opened OpenToRead(std::wstring_view registryPath, std::wstring_view valueName,
                  registry::OpenedKey& key) {
  const SplitPath path = Split(registryPath);
  const auto root = LookUpRoot(path.rootName);
  if (!root) {
    ReportWrongRoot(path.rootName);
    return Opened::kReported;
  }
  registry::KeyResult opened =
      registry::OpenKey(*root, platform::ToAnsi(path.subKey), registry::kKeyRead);
  if (opened.code == ErrorCode::kFileNotFound) {
    return Opened::kMissing;
  }
  if (opened.code != ErrorCode::kSuccess) {
    Report(L"レジストリキーがオープン出来ません", registryPath, valueName);
    return Opened::kReported;
  }
  key = std::move(opened.key);
  return Opened::kOpen;
}

// Only this close is reported: a key closed on the way out of a failure has failed already.
bool CloseAfterReading(registry::OpenedKey& key, std::wstring_view registryPath,
                       std::wstring_view valueName) {
  if (key.Close() != ErrorCode::kSuccess) {
    Report(L"レジストリがクローズ出来ません", registryPath, valueName);
    return false;
  }
  return true;
}

bool IsText(std::uint32_t type) {
  return type == registry::kTypeString || type == registry::kTypeExpandString;
}

// The whole of a text value, however long: the size that the registry answers for a short buffer
// is taken until the value fits, since another program may change it meanwhile. The text ends at
// its first NUL, as Windows reads it when it builds the environment.
ErrorCode QueryText(registry::Key key, const std::wstring& valueName, RegistryText& value) {
  std::wstring buffer(kFirstTextBufferSize, L'\0');
  for (;;) {
    auto count = static_cast<std::uint32_t>(buffer.size());
    const ErrorCode result = registry::QueryValueWide(key, valueName, value.type, buffer, count);
    if (result == ErrorCode::kMoreData && count > buffer.size()) {
      buffer.resize(count);
      continue;
    }
    if (result == ErrorCode::kSuccess && IsText(value.type)) {
      buffer.resize(std::min<std::size_t>(count, buffer.size()));
      buffer.resize(std::min(buffer.find(L'\0'), buffer.size()));
      value.text = std::move(buffer);
    }
    return result;
  }
}

std::optional<RegistryText> QueryWholeText(registry::Key key, const std::wstring& valueName) {
  RegistryText value;
  if (QueryText(key, valueName, value) != ErrorCode::kSuccess || !IsText(value.type)) {
    return std::nullopt;
  }
  return value;
}

// Creates or opens the key, then hands it to write(key, result of the create), which writes if it
// can and answers the Win32 result code of the whole; the key is closed on every way out. A
// failure is shown with the value that was to be written.
template <typename Write>
bool WriteValue(std::wstring_view registryPath, std::wstring_view valueName,
                std::wstring_view value, const Write& write) {
  const SplitPath path = Split(registryPath);
  const auto root = LookUpRoot(path.rootName);
  if (!root) {
    ReportWrongRoot(path.rootName);
    return false;
  }

  registry::KeyResult created =
      registry::CreateKey(*root, platform::ToAnsi(path.subKey), registry::kKeyAllAccess);
  const ErrorCode written = write(created.key.get(), created.code);
  // A failed close loses nothing that was written.
  static_cast<void>(created.key.Close());

  if (written != ErrorCode::kSuccess) {
    Report(L"レジストリに書き込めません", registryPath, valueName, value);
    return false;
  }
  return true;
}

}  // namespace

std::wstring GetRegistry(std::wstring_view registryPath, std::wstring_view valueName) {
  try {
    std::string buffer(kReadBufferSize, ' ');
    registry::OpenedKey key;
    switch (OpenToRead(registryPath, valueName, key)) {
      case Opened::kMissing:
        return std::wstring(kInvalidKey);
      case Opened::kReported:
        return std::wstring(kError);
      case Opened::kOpen:
        break;
    }

    std::uint32_t type = 0;
    auto size = static_cast<std::uint32_t>(buffer.size());
    if (registry::QueryValue(key.get(), platform::ToAnsi(valueName), type, buffer, size) !=
        ErrorCode::kSuccess) {
      Report(L"レジストリキー値が取得出来ません", registryPath, valueName);
      return std::wstring(kError);
    }
    if (!CloseAfterReading(key, registryPath, valueName)) {
      return std::wstring(kError);
    }

    // A NUL byte is never part of a double-byte character, so cutting the bytes cuts the text.
    const auto end = buffer.find('\0');
    if (end == std::string::npos) {
      throw platform::TextCannotBeCut();
    }
    return platform::FromAnsi(std::string_view(buffer).substr(0, end));
  } catch (const std::exception& caught) {
    ShowWarning(TrapMessage(L"GetRegistry", caught));
    return std::wstring(kError);
  }
}

RegistryRead ReadRegistryText(std::wstring_view registryPath, std::wstring_view valueName) {
  const SplitPath path = Split(registryPath);
  const auto root = LookUpRoot(path.rootName);
  if (!root) {
    return {ErrorCode::kInvalidParameter, {}};
  }
  const registry::KeyResult opened =
      registry::OpenKey(*root, platform::ToAnsi(path.subKey), registry::kKeyRead);
  if (opened.code != ErrorCode::kSuccess) {
    return {opened.code, {}};
  }
  RegistryRead read;
  read.result = QueryText(opened.key.get(), std::wstring(valueName), read.value);
  return read;
}

std::optional<RegistryText> FindRegistryText(std::wstring_view registryPath,
                                             std::wstring_view valueName) {
  RegistryRead read = ReadRegistryText(registryPath, valueName);
  if (read.result != ErrorCode::kSuccess || !IsText(read.value.type)) {
    return std::nullopt;
  }
  return std::move(read.value);
}

std::optional<RegistryText> GetRegistryText(std::wstring_view registryPath,
                                            std::wstring_view valueName) {
  try {
    registry::OpenedKey key;
    if (OpenToRead(registryPath, valueName, key) != Opened::kOpen) {
      return std::nullopt;
    }
    std::optional<RegistryText> value = QueryWholeText(key.get(), std::wstring(valueName));
    if (!value) {
      Report(L"レジストリキー値が取得出来ません", registryPath, valueName);
      return std::nullopt;
    }
    if (!CloseAfterReading(key, registryPath, valueName)) {
      return std::nullopt;
    }
    return value;
  } catch (const std::exception& caught) {
    ShowWarning(TrapMessage(L"GetRegistryText", caught));
    return std::nullopt;
  }
}

bool FU_SetRegistry(std::wstring_view registryPath, std::wstring_view valueName,
                    std::wstring_view value, std::int16_t valueType) {
  try {
    return WriteValue(registryPath, valueName, value, [&](registry::Key key, ErrorCode created) {
      const std::optional<std::string> data = ValueData(value, valueType);
      if (!data) {
        // Writing nothing and answering True would tell the caller a value is there that is not.
        return ErrorCode::kInvalidParameter;
      }
      return created != ErrorCode::kSuccess
                 ? created
                 : registry::SetValue(key, platform::ToAnsi(valueName),
                                      static_cast<std::uint32_t>(valueType), *data);
    });
  } catch (const std::exception& caught) {
    ShowWarning(TrapMessage(L"FU_SetRegistry", caught));
    return false;
  }
}

bool FU_SetRegistryText(std::wstring_view registryPath, std::wstring_view valueName,
                        const RegistryText& value) {
  try {
    return WriteValue(registryPath, valueName, value.text,
                      [&](registry::Key key, ErrorCode created) {
                        if (!IsText(value.type)) {
                          return ErrorCode::kInvalidParameter;
                        }
                        return created != ErrorCode::kSuccess
                                   ? created
                                   : registry::SetValueWide(key, std::wstring(valueName),
                                                            value.type, value.text + L'\0');
                      });
  } catch (const std::exception& caught) {
    ShowWarning(TrapMessage(L"FU_SetRegistryText", caught));
    return false;
  }
}

ErrorCode DeleteRegistryValue(std::wstring_view registryPath, std::wstring_view valueName) {
  const SplitPath path = Split(registryPath);
  const auto root = LookUpRoot(path.rootName);
  if (!root) {
    return ErrorCode::kInvalidParameter;
  }
  const registry::KeyResult opened =
      registry::OpenKey(*root, platform::ToAnsi(path.subKey), registry::kKeySetValue);
  if (opened.code != ErrorCode::kSuccess) {
    return opened.code == ErrorCode::kFileNotFound ? ErrorCode::kSuccess : opened.code;
  }
  const ErrorCode deleted = registry::DeleteValue(opened.key.get(), std::wstring(valueName));
  return deleted == ErrorCode::kFileNotFound ? ErrorCode::kSuccess : deleted;
}

}  // namespace common
