// How tessal's Java reads its configuration files, which decides how the bytes of a file are
// characters and how the folder that the run found must be written into it to come back exactly.
#pragma once

#include <string>
#include <string_view>

namespace setup {

enum class Reader {
  kXml,  // the JDK's XML parser: web.xml, poolman.xml
  // java.util.Properties, which reads ISO-8859-1, holding a java.util.logging.FileHandler
  // pattern: logging.properties
  kFileHandlerPattern,
};

// What the bytes of a file are to its reader.
struct Encoding {
  enum class Kind {
    kUtf8,
    // Shift_JIS and its Windows form: the trail byte of a character may be an ASCII byte, such as
    // the "C" of "C:/TOMCAT", so a line must be taken character by character.
    kShiftJis,
    // Any other encoding that keeps ASCII as it is (ISO-8859-1, EUC-JP, ...): an ASCII byte is
    // always that ASCII character.
    kAsciiBytes,
    // UTF-16 and UTF-32, whose lines the program cannot split: taken in the system's code page, as
    // the program always took every file.
    kUnreadable,
  };
  Kind kind = Kind::kUtf8;
  std::string name;  // as the file declares it, or the reader's own
};

// The encoding of a file from its first bytes: for XML its byte order mark, else its declaration,
// else UTF-8; a properties file is ISO-8859-1 whatever it holds.
[[nodiscard]] Encoding EncodingOf(Reader reader, std::string_view head);

// A line that names the folder: fixed ASCII text around the folder's part, which is written so
// that the reader gets back every character of it.
struct FolderLine {
  std::wstring_view before;
  std::wstring value;
  std::wstring_view after;
};

// The bytes of the line in a file of that encoding. In XML "&", "<" and ">" are escaped, and in
// any encoding but UTF-8 every other character is a character reference, which every encoding
// that keeps ASCII carries exactly. In the properties file the line is ASCII: each other character
// a \uXXXX escape, "\" doubled, and "%" doubled for the pattern. A folder of ASCII characters
// without any of those gives the line's plain bytes.
[[nodiscard]] std::string EncodeLine(Reader reader, const Encoding& encoding,
                                     const FolderLine& line);

}  // namespace setup
