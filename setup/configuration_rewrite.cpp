#include "setup/configuration_rewrite.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace setup {
namespace {

// Every line that holds the search text is tested, so the test runs without an early way out:
// a loop that only gathers bits goes many bytes at a time.
bool IsAscii(std::string_view bytes) {
  unsigned char seen = 0;
  for (const char c : bytes) {
    seen = static_cast<unsigned char>(seen | static_cast<unsigned char>(c));
  }
  return seen < 0x80;
}

// The XML declaration may run over several lines; it ends within the first few of them.
constexpr std::size_t kHeadLines = 8;

// Opens the bytes that are rewritten from their start, as often as the rewrite reads them.
using OpenBytes = std::function<std::unique_ptr<platform::ByteSource>()>;

// The first bytes, enough to hold a byte order mark and an XML declaration; line ends come back
// as line feeds, white space to the declaration.
std::string ReadHead(const OpenBytes& open) {
  const std::unique_ptr<platform::ByteSource> bytes = open();
  platform::LineReader in(*bytes);
  std::string head;
  std::string line;
  for (std::size_t lines = 0; lines < kHeadLines && in.ReadLine(line); ++lines) {
    head += line;
    if (line.find("?>") != std::string::npos) {
      break;
    }
    head += '\n';
  }
  return head;
}

// Whether the rewrite can take the bytes as lines: no UTF-16 byte order mark (which UTF-32's
// little-endian one begins with too), and no NUL, which no text in an encoding that keeps ASCII
// holds and UTF-16 without a mark does. One pass, in bounded memory, before anything is emptied.
bool IsText(const OpenBytes& open) {
  const std::unique_ptr<platform::ByteSource> file = open();
  std::vector<char> piece(std::size_t{64} * 1024);
  bool atStart = true;
  for (std::size_t read = 0; (read = file->Read(piece)) != 0; atStart = false) {
    const std::string_view bytes(piece.data(), read);
    if (atStart && (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))) {
      return false;
    }
    if (bytes.find('\0') != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

// The rewrite itself: each line of the bytes, or its replacement, handed to write without its
// line end. Nothing where the bytes are not text.
RewriteCounts RewriteLines(const OpenBytes& open, const ConfigurationFile& rewrite,
                           const std::function<void()>& begin,
                           const std::function<void(std::string_view)>& write) {
  RewriteCounts counts;
  if (!IsText(open)) {
    counts.notText = true;
    return counts;
  }
  counts.encoding = EncodingOf(rewrite.reader, ReadHead(open));
  const LineMatcher matcher(rewrite.search, counts.encoding.kind);
  const std::string replacementLine =
      EncodeLine(rewrite.reader, counts.encoding, rewrite.replacement);
  const std::unique_ptr<platform::ByteSource> bytes = open();
  platform::LineReader in(*bytes);
  begin();
  std::string line;
  while (in.ReadLine(line)) {
    ++counts.linesRead;
    const bool replaced = matcher.Matches(line);
    counts.linesReplaced += replaced ? 1 : 0;
    write(replaced ? std::string_view(replacementLine) : std::string_view(line));
  }
  return counts;
}

// Bytes already read, given again from their start at each open.
class HeldBytes final : public platform::ByteSource {
 public:
  explicit HeldBytes(std::string_view bytes) : rest_(bytes) {}
  std::size_t Read(std::span<char> buffer) override {
    const std::size_t count = std::min(buffer.size(), rest_.size());
    std::copy_n(rest_.begin(), count, buffer.begin());
    rest_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view rest_;
};

}  // namespace

LineMatcher::LineMatcher(std::wstring_view search, Encoding::Kind encoding)
    : search_(search), searchBytes_(platform::ToUtf8(search)), encoding_(encoding) {}

bool LineMatcher::Matches(std::string_view line) const {
  // An ASCII character of the text is the same single byte in every encoding read here, so a
  // line whose bytes lack the search text cannot hold it.
  if (line.find(searchBytes_) == std::string_view::npos) {
    return false;
  }
  switch (encoding_) {
    case Encoding::Kind::kUtf8:
    case Encoding::Kind::kAsciiBytes:
      // No byte of a multi-byte character is an ASCII byte: the bytes decide.
      return true;
    case Encoding::Kind::kShiftJis:
    case Encoding::Kind::kUnreadable:
      break;
  }
  // A match among the bytes of a line with double-byte characters may begin inside one (a trail
  // byte can look like "C"), so such a line is decided on its characters.
  if (IsAscii(line)) {
    return true;
  }
  const std::wstring text = encoding_ == Encoding::Kind::kShiftJis
                                ? platform::FromCodePage(platform::kCodePageShiftJis, line)
                                : platform::FromAnsi(line);
  return text.find(search_) != std::wstring::npos;
}

RewriteCounts RewriteFile(const ConfigurationFile& rewrite) {
  platform::CopyFileOverwriting(rewrite.file, rewrite.backup);
  // The file is emptied only once its backup is known to be text that the rewrite takes.
  std::optional<platform::TextFileWriter> out;
  RewriteCounts counts = RewriteLines([&] { return platform::OpenFileBytes(rewrite.backup); },
                                      rewrite, [&] { out.emplace(rewrite.file); },
                                      [&](std::string_view line) { out->WriteLine(line); });
  if (out) {
    out->Close();
  }
  return counts;
}

std::string RewrittenBytes(std::string_view original, const ConfigurationFile& rewrite) {
  std::string rewritten;
  const RewriteCounts counts =
      RewriteLines([&] { return std::make_unique<HeldBytes>(original); }, rewrite, [] {},
                   [&](std::string_view line) {
                     rewritten += line;
                     rewritten += "\r\n";
                   });
  return counts.notText ? std::string(original) : rewritten;
}

std::array<ConfigurationFile, 3> ConfigurationFiles(const RunValues& run) {
  const std::wstring webInf = run.tomcatHome + L"\\webapps\\tessal\\WEB-INF";
  return {{
      {run.javaHome + L"\\jre\\lib\\logging.properties",
       run.javaHome + L"\\jre\\lib\\logging.org",
       Reader::kFileHandlerPattern,
       L"C:/TOMCAT",
       {L"java.util.logging.FileHandler.pattern = ",
        run.tomcatHomeSlash + L"/webapps/tessal/logs/system.log", L""}},
      {webInf + L"\\web.xml",
       webInf + L"\\web.org",
       Reader::kXml,
       L"C:\\TOMCAT",
       {L"    <param-value>", run.tomcatHome + L"\\webapps\\tessal\\", L"</param-value>"}},
      {webInf + L"\\classes\\poolman.xml",
       webInf + L"\\classes\\poolman.org",
       Reader::kXml,
       L"C:/TOMCAT",
       {L"    <logFile>", run.tomcatHomeSlash + L"/webapps/tessal/logs/poolman.log",
        L"</logFile>"}},
  }};
}

}  // namespace setup
