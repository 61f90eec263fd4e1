#include "platform/line_reader.h"

#include <algorithm>

namespace platform {

LineReader::LineReader(ByteSource& source, std::size_t chunkSize)
    : source_(source), buffer_(chunkSize == 0 ? 1 : chunkSize) {}

bool LineReader::Fill() {
  if (exhausted_) {
    return false;
  }
  begin_ = 0;
  end_ = source_.Read(buffer_);
  if (end_ == 0) {
    exhausted_ = true;
  }
  return end_ != 0;
}

bool LineReader::AtEnd() {
  return begin_ == end_ && !Fill();
}

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) {
    return false;
  }
  for (;;) {
    const char* const first = buffer_.data() + begin_;
    const char* const last = buffer_.data() + end_;
    const char* const stop =
        std::find_if(first, last, [](char c) { return c == '\r' || c == '\n'; });
    line.append(first, stop);
    if (stop == last) {
      begin_ = end_;
      if (!Fill()) {
        return true;  // the last line of the file has no line end
      }
      continue;
    }
    begin_ = static_cast<std::size_t>(stop - buffer_.data()) + 1;
    // A CR may be the first half of CR LF, and the LF may only arrive with the next chunk.
    if (*stop == '\r' && (begin_ < end_ || Fill()) && buffer_[begin_] == '\n') {
      ++begin_;
    }
    return true;
  }
}

}  // namespace platform
