// An in-memory registry that answers like advapi32: key and value names without regard to case,
// a missing key or value as ERROR_FILE_NOT_FOUND, a short buffer as ERROR_MORE_DATA.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <exception>
#include <utility>

#include "platform/host/double_state.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace host_double::detail {

HeldValue HeldValue::Ansi(std::uint32_t type, std::string bytes) {
  HeldValue value;
  value.type = type;
  value.ansi = std::move(bytes);
  return value;
}

HeldValue HeldValue::Wide(std::uint32_t type, std::wstring text) {
  HeldValue value;
  value.type = type;
  value.wide = std::move(text);
  value.isWide = true;
  return value;
}

std::string HeldValue::AnsiBytes() const {
  return isWide ? platform::ToAnsi(wide) : ansi;
}

std::wstring HeldValue::WideText() const {
  return isWide ? wide : platform::FromAnsi(ansi);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Creates every missing key of subKey below base, as RegCreateKeyEx does, and gives the full path
// of the last one; created tells whether any key was new.
std::string CreateKeyChain(const std::string& base, const std::string& subKey, bool& created) {
  auto& keys = TheState().keys;
  std::string path = base;
  std::size_t start = 0;
  created = false;
  while (start <= subKey.size() && !subKey.empty()) {
    const std::size_t end = std::min(subKey.find('\\', start), subKey.size());
    path += "\\" + Lower(subKey.substr(start, end - start));
    created = keys.try_emplace(path).second || created;
    start = end + 1;
  }
  return path;
}

std::optional<std::string> RootName(platform::registry::Key key) {
  using namespace platform::registry;
  if (key == kClassesRoot) {
    return "hkcr";
  }
  if (key == kCurrentUser) {
    return "hkcu";
  }
  if (key == kLocalMachine) {
    return "hklm";
  }
  if (key == kUsers) {
    return "hku";
  }
  return std::nullopt;
}

}  // namespace host_double::detail

namespace platform::registry {
namespace {

using enum ErrorCode;

using host_double::Call;
using host_double::detail::CreateKeyChain;
using host_double::detail::HeldValue;
using host_double::detail::Lower;
using host_double::detail::RootName;
using host_double::detail::TheState;

// The full lower-case path of an open handle or a root, if the handle is valid.
std::optional<std::string> PathOf(Key key) {
  if (auto root = RootName(key)) {
    return root;
  }
  const auto& handles = TheState().handles;
  const auto found = handles.find(key);
  if (found == handles.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::string Join(const std::string& base, const std::string& subKey) {
  return subKey.empty() ? base : base + "\\" + Lower(subKey);
}

// The code that the fault table gives the call instead of its work, as the registry answers it.
std::optional<ErrorCode> InjectedFault(Call call) {
  const auto code = host_double::detail::TakeFault(call);
  if (!code) {
    return std::nullopt;
  }
  return ErrorCode{*code};
}

// The value that a query asks for, or nothing with the code that the query answers.
const HeldValue* Look(Key key, const std::string& valueName, ErrorCode& result) {
  if (auto fault = InjectedFault(Call::kRegistryQuery)) {
    result = *fault;
    return nullptr;
  }
  const auto path = PathOf(key);
  if (!path) {
    result = kInvalidHandle;
    return nullptr;
  }
  const auto& values = TheState().keys[*path].values;
  const auto found = values.find(Lower(valueName));
  result = found == values.end() ? kFileNotFound : kSuccess;
  return found == values.end() ? nullptr : &found->second;
}

ErrorCode Store(Key key, const std::string& valueName, HeldValue value) {
  ++TheState().registryWrites;
  if (auto fault = InjectedFault(Call::kRegistrySet)) {
    return *fault;
  }
  const auto path = PathOf(key);
  if (!path) {
    return kInvalidHandle;
  }
  TheState().keys[*path].values[Lower(valueName)] = std::move(value);
  return kSuccess;
}

// Copies a value into the caller's buffer as the registry does: all of it, or nothing but the size
// it needs.
template <typename Char>
ErrorCode Hand(const std::basic_string<Char>& value, std::span<Char> data, std::uint32_t& size) {
  const auto needed = static_cast<std::uint32_t>(value.size());
  if (needed > size || needed > data.size()) {
    size = needed;
    return kMoreData;
  }
  std::copy(value.begin(), value.end(), data.begin());
  size = needed;
  return kSuccess;
}

// How an open or a create that opened nothing answers.
KeyResult NoKey(ErrorCode code) {
  return {code, OpenedKey(), 0};
}

Key NewHandle(const std::string& path) {
  auto& state = TheState();
  const Key key = state.nextHandle;
  state.nextHandle += 4;
  state.handles[key] = path;
  return key;
}

}  // namespace

KeyResult OpenKey(Key root, const std::string& subKey, std::uint32_t access) {
  TheState().keyRequests.push_back({Call::kRegistryOpen, subKey, access});
  if (auto fault = InjectedFault(Call::kRegistryOpen)) {
    return NoKey(*fault);
  }
  const auto base = PathOf(root);
  if (!base) {
    return NoKey(kInvalidHandle);
  }
  const std::string path = Join(*base, subKey);
  if (!(RootName(root) && subKey.empty()) && !TheState().keys.contains(path)) {
    return NoKey(kFileNotFound);
  }
  return {kSuccess, OpenedKey(NewHandle(path)), 0};
}

ErrorCode QueryValue(Key key, const std::string& valueName, std::uint32_t& type,
                     std::span<char> data, std::uint32_t& size) {
  ErrorCode result = kSuccess;
  const HeldValue* const held = Look(key, valueName, result);
  if (held == nullptr) {
    return result;
  }
  type = held->type;
  return Hand(held->AnsiBytes(), data, size);
}

ErrorCode QueryValueWide(Key key, const std::wstring& valueName, std::uint32_t& type,
                         std::span<wchar_t> data, std::uint32_t& count) {
  ErrorCode result = kSuccess;
  const HeldValue* const held = Look(key, platform::ToAnsi(valueName), result);
  if (held == nullptr) {
    return result;
  }
  type = held->type;
  return Hand(held->WideText(), data, count);
}

ErrorCode CloseKey(Key key) {
  if (auto fault = InjectedFault(Call::kRegistryClose)) {
    TheState().handles.erase(key);
    return *fault;
  }
  if (RootName(key)) {
    return kSuccess;
  }
  return TheState().handles.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

KeyResult CreateKey(Key root, const std::string& subKey, std::uint32_t access) {
  TheState().keyRequests.push_back({Call::kRegistryCreate, subKey, access});
  ++TheState().registryWrites;
  if (auto fault = InjectedFault(Call::kRegistryCreate)) {
    return NoKey(*fault);
  }
  const auto base = PathOf(root);
  if (!base) {
    return NoKey(kInvalidHandle);
  }
  bool created = false;
  OpenedKey key(NewHandle(CreateKeyChain(*base, subKey, created)));
  // REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY
  return {kSuccess, std::move(key), created ? 1u : 2u};
}

ErrorCode SetValue(Key key, const std::string& valueName, std::uint32_t type,
                   std::span<const char> data) {
  return Store(key, valueName, HeldValue::Ansi(type, std::string(data.begin(), data.end())));
}

ErrorCode SetValueWide(Key key, const std::wstring& valueName, std::uint32_t type,
                       std::wstring_view text) {
  return Store(key, platform::ToAnsi(valueName), HeldValue::Wide(type, std::wstring(text)));
}

ErrorCode DeleteValue(Key key, const std::wstring& valueName) {
  ++TheState().registryWrites;
  if (auto fault = InjectedFault(Call::kRegistryDelete)) {
    return *fault;
  }
  const auto path = PathOf(key);
  if (!path) {
    return kInvalidHandle;
  }
  return TheState().keys[*path].values.erase(Lower(platform::ToAnsi(valueName))) == 1
             ? kSuccess
             : kFileNotFound;
}

}  // namespace platform::registry

namespace host_double {

using platform::registry::Key;

namespace {
std::string FullPath(Key root, const std::string& subKey) {
  const std::string path = *detail::RootName(root);
  return subKey.empty() ? path : path + "\\" + detail::Lower(subKey);
}

detail::HeldValue& Hold(Key root, const std::string& subKey, const std::string& name) {
  PutKey(root, subKey);
  return detail::TheState().keys[FullPath(root, subKey)].values[detail::Lower(name)];
}

const detail::HeldValue* Find(Key root, const std::string& subKey, const std::string& name) {
  const auto& keys = detail::TheState().keys;
  const auto key = keys.find(FullPath(root, subKey));
  if (key == keys.end()) {
    return nullptr;
  }
  const auto value = key->second.values.find(detail::Lower(name));
  return value == key->second.values.end() ? nullptr : &value->second;
}
}  // namespace

void PutKey(Key root, const std::string& subKey) {
  bool created = false;
  detail::CreateKeyChain(*detail::RootName(root), subKey, created);
}

void PutValue(Key root, const std::string& subKey, const std::string& name, std::uint32_t type,
              std::string bytes) {
  Hold(root, subKey, name) = detail::HeldValue::Ansi(type, std::move(bytes));
}

void PutText(Key root, const std::string& subKey, const std::string& name, std::wstring_view text,
             std::uint32_t type) {
  Hold(root, subKey, name) = detail::HeldValue::Wide(type, std::wstring(text) + L'\0');
}

void PutString(Key root, const std::string& subKey, const std::string& name,
               const std::string& ansi, std::uint32_t type) {
  PutValue(root, subKey, name, type, std::string(ansi.c_str(), ansi.size() + 1));
}

bool KeyExists(Key root, const std::string& subKey) {
  return detail::TheState().keys.contains(FullPath(root, subKey));
}

std::optional<StoredValue> GetValue(Key root, const std::string& subKey, const std::string& name) {
  const detail::HeldValue* const held = Find(root, subKey, name);
  if (held == nullptr) {
    return std::nullopt;
  }
  return StoredValue{held->type, held->AnsiBytes()};
}

std::optional<StoredText> GetText(Key root, const std::string& subKey, const std::string& name) {
  const detail::HeldValue* const held = Find(root, subKey, name);
  if (held == nullptr) {
    return std::nullopt;
  }
  return StoredText{held->type, held->WideText()};
}

int OpenKeyCount() {
  return static_cast<int>(detail::TheState().handles.size());
}
const std::vector<KeyRequest>& KeyRequests() {
  return detail::TheState().keyRequests;
}
std::vector<std::string> OpenedSubKeys() {
  std::vector<std::string> subKeys;
  for (const KeyRequest& request : KeyRequests()) {
    if (request.call == Call::kRegistryOpen) {
      subKeys.push_back(request.subKey);
    }
  }
  return subKeys;
}
int RegistryWriteCount() {
  return detail::TheState().registryWrites;
}

}  // namespace host_double
