// The two products the application runs on, and the folder each one's key names.
#pragma once

#include <string>
#include <string_view>

namespace setup {

struct Product {
  std::wstring_view name;  // as the log names it
  std::wstring_view key;
  std::wstring_view valueName;
  std::wstring_view notInstalled;  // the message that says the product is missing
};

inline constexpr Product kJdk{L"JDK 1.4",
                              L"HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4",
                              L"JavaHome", L"Java 2 SDK 1.4がインストールされていません。"};
inline constexpr Product kTomcat{
    L"Tomcat 4.1", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Apache Software Foundation\\Tomcat\\4.1", L"",
    L"Apache Tomcat 4.1.40がインストールされていません。"};

// What a product's key says. An uninstaller often leaves the key behind, so only a folder that is
// there is an installed product: anything else would send the files and the environment to a
// folder that the application will never run from.
struct ProductFolder {
  enum class State {
    kFound,
    kKeyMissing,     // the key does not exist
    kUnreadable,     // its value could not be read; the registry routine has said so
    kNoFolderName,   // the value is empty
    kNotFullPath,    // neither "X:\..." nor "\\server\share\..."
    kFolderMissing,  // no folder of that name
  };
  State state = State::kKeyMissing;
  // As the key holds it; a full path without a trailing separator, but a drive root's.
  std::wstring folder;
};

// Reads the product's key and looks at the folder it names.
[[nodiscard]] ProductFolder FindProductFolder(const Product& product);

// What the text that a product's key holds names: a folder that is there, in the one form that
// every path and value is built from, or why it is none.
[[nodiscard]] ProductFolder ProductFolderNamed(std::wstring folder);

// Whether a folder is named from a drive's root ("C:\...") or a share's ("\\server\share\..."),
// so that it means the same folder whatever the current drive and folder are. Windows reads "/"
// as "\" here.
[[nodiscard]] bool IsFullPath(std::wstring_view folder);

}  // namespace setup
