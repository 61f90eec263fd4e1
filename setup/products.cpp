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

// The folder without the "\" or "/" that some installers and hand edits leave at its end, so that
// every path, value and line built from it has one form: "C:\j2sdk1.4.2\" would give JAVA_HOME a
// trailing "\" (which escapes the quote after "%JAVA_HOME%" on a command line) and Path a second
// entry "C:\j2sdk1.4.2\\bin". A drive's root keeps its separator: "C:" alone names the current
// folder of drive C.
void DropTrailingSeparators(std::wstring& folder) {
  const std::size_t root = folder.size() >= 2 && folder[1] == L':' ? 3 : 1;
  while (folder.size() > root && IsSeparator(folder.back())) {
    folder.pop_back();
  }
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
  return ProductFolderNamed(std::move(folder));
}

ProductFolder ProductFolderNamed(std::wstring folder) {
  using State = ProductFolder::State;
  State state = State::kFound;
  if (folder.empty()) {
    state = State::kNoFolderName;
  } else if (!IsFullPath(folder)) {
    state = State::kNotFullPath;
  } else {
    DropTrailingSeparators(folder);
    if (!platform::IsFolder(folder)) {
      state = State::kFolderMissing;
    }
  }
  return {state, std::move(folder)};
}

}  // namespace setup
