// The rewrite of one configuration file: every line that names the old Tomcat folder is replaced
// by one fixed line, the rest pass through byte for byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace setup {

struct RewriteCounts {
  std::size_t linesRead = 0;
  std::size_t linesReplaced = 0;
};

// Copies file onto backup, then writes file anew from backup line by line. The backup is complete
// before the file is emptied, so an interrupted rewrite never loses the file's content. Memory is
// bounded by the longest line.
RewriteCounts RewriteFile(const std::wstring& file, const std::wstring& backup,
                          std::wstring_view search, std::wstring_view replacementLine);

// Whether an ANSI line holds the text, compared exactly as characters of the code page.
class LineMatcher {
 public:
  explicit LineMatcher(std::wstring_view search);
  bool Matches(std::string_view ansiLine) const;

 private:
  std::wstring search_;
  std::string searchBytes_;
  bool searchIsAscii_;
};

}  // namespace setup
