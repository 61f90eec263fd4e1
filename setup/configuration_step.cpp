#include <array>

#include "platform/files.h"
#include "platform/text.h"
#include "setup/configuration_rewrite.h"
#include "setup/run_log.h"
#include "setup/steps.h"

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

}  // namespace

LineMatcher::LineMatcher(std::wstring_view search)
    : search_(search),
      searchBytes_(platform::ToAnsi(search)),
      searchIsAscii_(IsAscii(searchBytes_)) {}

bool LineMatcher::Matches(std::string_view ansiLine) const {
  if (searchIsAscii_) {
    // An ASCII character of the text is the same single byte in the line, so a line whose bytes
    // lack the search text cannot hold it. A match among the bytes of a line with double-byte
    // characters may still begin inside one (a trail byte can look like "C"), so such a line is
    // decided on its characters.
    if (ansiLine.find(searchBytes_) == std::string_view::npos) {
      return false;
    }
    if (IsAscii(ansiLine)) {
      return true;
    }
  }
  return platform::FromAnsi(ansiLine).find(search_) != std::wstring::npos;
}

RewriteCounts RewriteFile(const std::wstring& file, const std::wstring& backup,
                          std::wstring_view search, std::wstring_view replacementLine) {
  platform::CopyFileOverwriting(file, backup);

  const LineMatcher matcher(search);
  const std::string replacement = platform::ToAnsi(replacementLine);
  platform::TextFileReader in(backup);
  platform::TextFileWriter out(file);
  RewriteCounts counts;
  std::string line;
  while (in.ReadLine(line)) {
    ++counts.linesRead;
    if (matcher.Matches(line)) {
      ++counts.linesReplaced;
      out.WriteLine(replacement);
    } else {
      out.WriteLine(line);
    }
  }
  in.Close();
  out.Close();
  return counts;
}

void ConfigurationStep(const RunValues& run, RunLog& log) {
  struct Rewrite {
    std::wstring file;
    std::wstring backup;
    std::wstring_view search;
    std::wstring replacementLine;
  };
  const std::wstring webInf = run.tomcatHome + L"\\webapps\\tessal\\WEB-INF";
  const std::array<Rewrite, 3> rewrites{{
      {run.javaHome + L"\\jre\\lib\\logging.properties", run.javaHome + L"\\jre\\lib\\logging.org",
       L"C:/TOMCAT",
       L"java.util.logging.FileHandler.pattern = " + run.tomcatHomeSlash +
           L"/webapps/tessal/logs/system.log"},
      {webInf + L"\\web.xml", webInf + L"\\web.org", L"C:\\TOMCAT",
       L"    <param-value>" + run.tomcatHome + L"\\webapps\\tessal\\</param-value>"},
      {webInf + L"\\classes\\poolman.xml", webInf + L"\\classes\\poolman.org", L"C:/TOMCAT",
       L"    <logFile>" + run.tomcatHomeSlash + L"/webapps/tessal/logs/poolman.log</logFile>"},
  }};
  for (const Rewrite& rewrite : rewrites) {
    log.Rewritten(
        rewrite.file, rewrite.backup,
        RewriteFile(rewrite.file, rewrite.backup, rewrite.search, rewrite.replacementLine));
  }
}

}  // namespace setup
