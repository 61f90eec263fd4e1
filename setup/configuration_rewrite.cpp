#include "setup/configuration_rewrite.h"

#include <memory>
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

// The first bytes of a file, enough to hold its byte order mark and its XML declaration; line
// ends come back as line feeds, white space to the declaration.
std::string ReadHead(const std::wstring& path) {
  platform::TextFileReader in(path);
  std::string head;
  std::string line;
  for (std::size_t lines = 0; lines < kHeadLines && in.ReadLine(line); ++lines) {
    head += line;
    if (line.find("?>") != std::string::npos) {
      break;
    }
    head += '\n';
  }
  in.Close();
  return head;
}

// Whether the rewrite can take the file as lines of bytes: no UTF-16 byte order mark (which
// UTF-32's little-endian one begins with too), and no NUL, which no text in an encoding that keeps
// ASCII holds and UTF-16 without a mark does. One pass, in bounded memory, before the file is
// emptied.
bool IsText(const std::wstring& path) {
  const std::unique_ptr<platform::ByteSource> file = platform::OpenFileBytes(path);
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

RewriteCounts RewriteFile(const std::wstring& file, const std::wstring& backup, Reader reader,
                          std::wstring_view search, const FolderLine& replacement) {
  platform::CopyFileOverwriting(file, backup);

  RewriteCounts counts;
  if (!IsText(backup)) {
    counts.notText = true;
    return counts;
  }
  counts.encoding = EncodingOf(reader, ReadHead(backup));
  const LineMatcher matcher(search, counts.encoding.kind);
  const std::string replacementLine = EncodeLine(reader, counts.encoding, replacement);
  platform::TextFileReader in(backup);
  platform::TextFileWriter out(file);
  std::string line;
  while (in.ReadLine(line)) {
    ++counts.linesRead;
    if (matcher.Matches(line)) {
      ++counts.linesReplaced;
      out.WriteLine(replacementLine);
    } else {
      out.WriteLine(line);
    }
  }
  in.Close();
  out.Close();
  return counts;
}

}  // namespace setup
