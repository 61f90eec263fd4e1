#include "platform/line_reader.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// The first CR or LF in [first, last), or last. memchr looks at many bytes a step where a plain
// loop looks at one; the search goes a window at a time so that a file with one kind of line end
// does not have the rest of its chunk scanned for the other kind on every line.
const char* FindLineEnd(const char* first, const char* const last) {
  constexpr std::ptrdiff_t kWindow = 256;
  // An empty line costs a compare, not two calls.
  if (first != last && (*first == '\r' || *first == '\n')) {
    return first;
  }
  while (first != last) {
    const auto size = static_cast<std::size_t>(std::min(kWindow, last - first));
    const auto* const lf = static_cast<const char*>(std::memchr(first, '\n', size));
    const std::size_t before = lf == nullptr ? size : static_cast<std::size_t>(lf - first);
    const auto* const cr = static_cast<const char*>(std::memchr(first, '\r', before));
    if (cr != nullptr) {
      return cr;
    }
    if (lf != nullptr) {
      return lf;
    }
    first += size;
  }
  return last;
}

}  // namespace

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
    const char* const stop = FindLineEnd(first, last);
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
