// The line reader over any bytes, split into reads of any size, with any chunk size of its own:
// it must give exactly the lines of the simple rule and consume the whole input.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/line_reader.h"

namespace {

// Hands out the bytes in reads of the scripted sizes, in turn, as a file or a pipe might.
class SplitSource : public platform::ByteSource {
 public:
  SplitSource(std::string_view bytes, std::vector<std::size_t> readSizes)
      : bytes_(bytes), readSizes_(std::move(readSizes)) {}

  std::size_t Read(std::span<char> buffer) override {
    // A request for nothing could never see the end of the input.
    fuzz::Require(!buffer.empty(), "the reader asks for at least one byte");
    const std::size_t size =
        std::min({buffer.size(), readSizes_[reads_ % readSizes_.size()], bytes_.size() - taken_});
    ++reads_;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(taken_), size, buffer.begin());
    taken_ += size;
    return size;
  }

  bool Drained() const { return taken_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::vector<std::size_t> readSizes_;
  std::size_t reads_ = 0;
  std::size_t taken_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // The numbers come from the end of the input, so the text at its front stays readable. A chunk
  // size of 0 stands for the smallest buffer the reader allows.
  const std::size_t chunkSize =
      input.ConsumeBool() ? 64 * 1024 : input.ConsumeIntegralInRange<std::size_t>(0, 80);
  std::vector<std::size_t> readSizes(input.ConsumeIntegralInRange<std::size_t>(1, 4));
  for (std::size_t& readSize : readSizes) {
    readSize = input.ConsumeIntegralInRange<std::size_t>(1, 80);
  }
  // Which lines are preceded by a call of AtEnd, which must not change what comes next.
  const auto probes = input.ConsumeIntegral<std::uint8_t>();
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  const std::vector<fuzz::Line> expected = fuzz::SplitLines(bytes);
  fuzz::Require(fuzz::JoinLines(expected) == bytes, "the reference split keeps every byte");

  SplitSource source(bytes, readSizes);
  platform::LineReader reader(source, chunkSize);
  std::size_t count = 0;
  std::string line;
  for (;;) {
    if (((probes >> (count % 8)) & 1) != 0) {
      fuzz::Require(reader.AtEnd() == (count == expected.size()), "AtEnd only after the last line");
    }
    if (!reader.ReadLine(line)) {
      break;
    }
    fuzz::Require(count < expected.size(), "no more lines than the rule gives");
    fuzz::Require(line == expected[count].text, "each line as the rule cuts it");
    ++count;
  }
  fuzz::Require(count == expected.size(), "as many lines as the rule gives");
  fuzz::Require(line.empty(), "a read at the end leaves no line");
  fuzz::Require(source.Drained(), "the whole input is consumed");
  fuzz::Require(reader.AtEnd() && !reader.ReadLine(line), "the end stays the end");
  return 0;
}
