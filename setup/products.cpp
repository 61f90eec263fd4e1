#include "setup/products.h"

#include <utility>

#include "common/registry.h"
#include "platform/files.h"

namespace setup {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

}  // namespace

bool IsFullPath(std::wstring_view folder) {
  if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == L':' &&
      IsSeparator(folder[2])) {
    return true;
  }
  if (folder.size() < 2 || !IsSeparator(folder[0]) || !IsSeparator(folder[1])) {
    return false;
  }
  // A server's name, then a share's: "\\server\share".
  const std::wstring_view share = folder.substr(2);
  const auto separator = share.find_first_of(L"\\/");
  return separator != 0 && separator != std::wstring_view::npos && separator + 1 < share.size() &&
         !IsSeparator(share[separator + 1]);
}

ProductFolder FindProductFolder(const Product& product) {
  using State = ProductFolder::State;
  std::wstring folder = common::GetRegistry(product.key, product.valueName);
  if (folder == common::kInvalidKey) {
    return {State::kKeyMissing, {}};
  }
  if (folder == common::kError) {
    return {State::kUnreadable, {}};
  }
  State state = State::kFound;
  if (folder.empty()) {
    state = State::kNoFolderName;
  } else if (!IsFullPath(folder)) {
    state = State::kNotFullPath;
  } else if (!platform::IsFolder(folder)) {
    state = State::kFolderMissing;
  }
  return {state, std::move(folder)};
}

}  // namespace setup
