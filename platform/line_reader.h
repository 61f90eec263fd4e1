// Splits a byte stream into lines. Shared by every platform so that both read files alike.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Where the bytes come from: a file on each platform, any split of bytes in tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills up to buffer.size() bytes and returns how many; 0 only at the end.
  [[nodiscard]] virtual std::size_t Read(std::span<char> buffer) = 0;
};

// CR LF, a lone LF and a lone CR each end a line. A file written on Unix or by an old Mac tool
// must still come out line by line: a rewrite replaces whole lines, and one giant line would
// collapse a whole file. A last line without a line end is still a line; lines may be of any
// length, and memory grows with the longest line only.
class LineReader {
 public:
  explicit LineReader(ByteSource& source, std::size_t chunkSize = std::size_t{64} * 1024);

  [[nodiscard]] bool AtEnd();
  [[nodiscard]] bool ReadLine(std::string& line);

 private:
  [[nodiscard]] bool Fill();

  ByteSource& source_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool exhausted_ = false;
};

}  // namespace platform
