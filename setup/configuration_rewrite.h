// The rewrite of one configuration file: every line that names the old Tomcat folder is replaced
// by one line that names the real one, written as the file's reader reads it; the other lines pass
// through byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "setup/configuration_readers.h"
#include "setup/run_values.h"

namespace setup {

struct RewriteCounts {
  // The file is no text that the rewrite can take (UTF-16, or NUL bytes) and was left as it was.
  bool notText = false;
  std::size_t linesRead = 0;
  std::size_t linesReplaced = 0;
  Encoding encoding;  // what the file's lines were taken as
};

// A configuration file that the run rewrites, the backup it keeps of it, how its reader reads it,
// the old folder that a line names, and the line that names the real one.
struct ConfigurationFile {
  std::wstring file;
  std::wstring backup;
  Reader reader;
  std::wstring_view search;
  FolderLine replacement;
};

// The three files, in the order the run rewrites them.
[[nodiscard]] std::array<ConfigurationFile, 3> ConfigurationFiles(const RunValues& run);

// Copies the file onto its backup, then writes the file anew from the backup line by line. The
// backup is complete before the file is emptied, so an interrupted rewrite never loses the file's
// content. Memory is bounded by the longest line. A file that is not text is only copied onto its
// backup: its lines cannot be told apart, and rewriting its bytes as lines would corrupt it.
[[nodiscard]] RewriteCounts RewriteFile(const ConfigurationFile& rewrite);

// The bytes that the rewrite makes of a file that holds original, by the very same rules.
[[nodiscard]] std::string RewrittenBytes(std::string_view original,
                                         const ConfigurationFile& rewrite);

// Whether a line holds the search text, an ASCII text, in the line's own encoding.
class LineMatcher {
 public:
  LineMatcher(std::wstring_view search, Encoding::Kind encoding);
  [[nodiscard]] bool Matches(std::string_view line) const;

 private:
  std::wstring_view search_;
  std::string searchBytes_;
  Encoding::Kind encoding_;
};

}  // namespace setup
