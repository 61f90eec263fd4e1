// What the fuzz targets share: how a broken invariant ends a run, and the line rule written out
// the simple way, to hold the line reader against.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A broken invariant ends the run as a crash, so that libFuzzer keeps the input that broke it.
inline void Require(bool holds, const char* invariant) {
  if (!holds) {
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
  }
}

struct Line {
  std::string text;
  std::string ending;  // "\r\n", "\n", "\r", or empty for a last line without one
};

// CR LF, a lone LF and a lone CR each end a line; bytes after the last line end are a line too.
inline std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      ++i;
      continue;
    }
    const bool crlf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    const std::size_t endLength = crlf ? 2 : 1;
    lines.push_back(
        {std::string(bytes.substr(start, i - start)), std::string(bytes.substr(i, endLength))});
    i += endLength;
    start = i;
  }
  if (start < bytes.size()) {
    lines.push_back({std::string(bytes.substr(start)), std::string()});
  }
  return lines;
}

// The lines with their own endings, which must give back the bytes they were split from.
inline std::string JoinLines(const std::vector<Line>& lines) {
  std::string bytes;
  for (const Line& line : lines) {
    bytes += line.text;
    bytes += line.ending;
  }
  return bytes;
}

}  // namespace fuzz
