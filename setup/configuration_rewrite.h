// The rewrite of one configuration file: every line that names the old Tomcat folder is replaced
// by one line that names the real one, written as the file's reader reads it; the other lines pass
// through byte for byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "setup/configuration_readers.h"

namespace setup {

struct RewriteCounts {
  // The file is no text that the rewrite can take (UTF-16, or NUL bytes) and was left as it was.
  bool notText = false;
  std::size_t linesRead = 0;
  std::size_t linesReplaced = 0;
  Encoding encoding;  // what the file's lines were taken as
};

// Copies file onto backup, then writes file anew from backup line by line. The backup is complete
// before the file is emptied, so an interrupted rewrite never loses the file's content. Memory is
// bounded by the longest line. A file that is not text is only copied onto its backup: its lines
// cannot be told apart, and rewriting its bytes as lines would corrupt it.
RewriteCounts RewriteFile(const std::wstring& file, const std::wstring& backup, Reader reader,
                          std::wstring_view search, const FolderLine& replacement);

// Whether a line holds the search text, an ASCII text, in the line's own encoding.
class LineMatcher {
 public:
  LineMatcher(std::wstring_view search, Encoding::Kind encoding);
  bool Matches(std::string_view line) const;

 private:
  std::wstring_view search_;
  std::string searchBytes_;
  Encoding::Kind encoding_;
};

}  // namespace setup
