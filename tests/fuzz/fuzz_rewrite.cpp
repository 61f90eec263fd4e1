// The rewrite of a Shift_JIS configuration file of any content: one output line per input line,
// each ending in CR LF; a line without the search text passes byte for byte; a line is replaced
// when its characters hold the search text; the backup is the input.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "platform/host/double_control.h"
#include "platform/text.h"
#include "setup/configuration_rewrite.h"

namespace {

constexpr std::wstring_view kSearch = L"C:/TOMCAT";
constexpr std::string_view kSearchBytes = "C:/TOMCAT";
// Double-byte characters in the replacement, as a Japanese Tomcat folder gives them, and the line
// that a Shift_JIS file gets for them.
const setup::FolderLine kReplacement{
    L"    <logFile>", L"D:/アプリ/Tomcat 4.1/webapps/tessal/logs/poolman.log", L"</logFile>"};
constexpr std::string_view kReplacementBytes =
    "    <logFile>D:/&#x30A2;&#x30D7;&#x30EA;/Tomcat 4.1/webapps/tessal/logs/poolman.log</logFile>";
// Before the input, so that the file is Shift_JIS, whose trail bytes can be ASCII bytes.
constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

// One folder for the whole run, below TMPDIR, which the fuzz script points into its own folder.
const std::string& Folder() {
  static const std::string folder = [] {
    const char* const base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/fuzz_rewrite.XXXXXX";
    fuzz::Require(::mkdtemp(pattern.data()) != nullptr, "a folder for the files");
    return pattern;
  }();
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  fuzz::Require(in.good(), "the file can be read back");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  fuzz::Require(out.good(), "the file can be written");
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  host_double::Reset();
  const std::string input =
      std::string(kDeclaration) + std::string(reinterpret_cast<const char*>(data), size);
  const std::string file = Folder() + "/poolman.xml";
  const std::string backup = Folder() + "/poolman.org";
  WriteAll(file, input);

  // The folder's name is ASCII, so its bytes are its characters.
  (void)setup::RewriteFile({std::wstring(file.begin(), file.end()),
                            std::wstring(backup.begin(), backup.end()), setup::Reader::kXml,
                            kSearch, kReplacement});

  fuzz::Require(ReadAll(backup) == input, "the backup is the input");
  const std::string output = ReadAll(file);
  // The declaration comes first, so only a NUL can make the input no text, which stays as it was.
  if (input.find('\0') != std::string::npos) {
    fuzz::Require(output == input, "a file that is no text is left as it was");
    return 0;
  }
  const std::string replacement(kReplacementBytes);
  std::size_t at = 0;
  for (const fuzz::Line& line : fuzz::SplitLines(input)) {
    const std::string_view rest = std::string_view(output).substr(at);
    const bool kept = rest.starts_with(line.text + "\r\n");
    const bool replaced = rest.starts_with(replacement + "\r\n");
    fuzz::Require(kept || replaced, "each line comes out, kept or replaced, with CR LF");
    const bool holdsBytes = line.text.find(kSearchBytes) != std::string::npos;
    if (!holdsBytes) {
      fuzz::Require(kept, "a line without the search text comes out byte for byte");
    } else if (IsAscii(line.text)) {
      fuzz::Require(replaced, "an ASCII line with the search text is replaced");
    } else {
      const bool holdsText =
          platform::FromCodePage(platform::kCodePageShiftJis, line.text).find(kSearch) !=
          std::wstring::npos;
      fuzz::Require(holdsText ? replaced : kept,
                    "a line is replaced when its text holds the search");
    }
    // Neither text holds a CR, so when both match they are the same length.
    at += (replaced ? replacement.size() : line.text.size()) + 2;
  }
  fuzz::Require(at == output.size(), "one output line per input line, and nothing more");
  return 0;
}
