// line_path FILE [ROUNDS]: the per-line work of the rewrite alone, without the disk: the file is
// read into memory once, then split by the line reader in 64 KiB chunks, each line tested by the
// matcher and written through the text writer to /dev/null. Prints the best round in MiB/s, the
// figure to compare when the line path changes; scripts/bench.sh times the whole rewrite.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/files.h"
#include "platform/line_reader.h"
#include "setup/configuration_rewrite.h"

namespace {

class MemorySource : public platform::ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Read(std::span<char> buffer) override {
    const std::size_t size = std::min(buffer.size(), bytes_.size());
    std::memcpy(buffer.data(), bytes_.data(), size);
    bytes_.remove_prefix(size);
    return size;
  }

 private:
  std::string_view bytes_;
};

// One pass as RewriteFile makes it; returns the number of lines that matched.
std::size_t RewriteInMemory(std::string_view bytes, const setup::LineMatcher& matcher,
                            std::string_view replacement) {
  MemorySource source(bytes);
  platform::LineReader reader(source);
  platform::TextFileWriter out(L"/dev/null");
  std::size_t matched = 0;
  std::string line;
  while (reader.ReadLine(line)) {
    const bool match = matcher.Matches(line);
    matched += match ? 1 : 0;
    out.WriteLine(match ? replacement : std::string_view(line));
  }
  out.Close();
  return matched;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: line_path FILE [ROUNDS]\n";
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::cerr << "line_path: cannot read " << argv[1] << "\n";
    return 2;
  }
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  int rounds = 10;
  if (argc == 3) {
    const std::string_view text(argv[2]);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rounds);
    if (error != std::errc() || end != text.data() + text.size() || rounds < 1) {
      std::cerr << "line_path: ROUNDS is a count of at least 1\n";
      return 2;
    }
  }

  // Searched in the file's encoding, as the rewrite takes it from the file's first bytes.
  const setup::LineMatcher matcher(
      L"C:/TOMCAT",
      setup::EncodingOf(setup::Reader::kXml, std::string_view(bytes).substr(0, 1024)).kind);
  const std::string replacement =
      "    <logFile>D:/Tomcat/webapps/tessal/logs/poolman.log</logFile>";
  double best = 0;
  std::size_t matched = 0;
  try {
    for (int round = 0; round < rounds; ++round) {
      const auto start = std::chrono::steady_clock::now();
      matched = RewriteInMemory(bytes, matcher, replacement);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      best = std::max(best, static_cast<double>(bytes.size()) / took.count() / (1024.0 * 1024.0));
    }
  } catch (const platform::Failure& failure) {
    std::cerr << "line_path: failure " << failure.number() << "\n";
    return 1;
  }
  std::cout << std::lround(best) << " MiB/s (" << matched << " lines matched)\n";
  return 0;
}
