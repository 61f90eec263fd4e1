// The events of a run's log as the tests read them back.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/test_files.h"

// Every line of the log without its time stamp, which must be there and well formed. A log holds
// one byte order mark, at its start, and every line ends in CR LF.
inline std::vector<std::string> LogEvents(const std::wstring& path) {
  const std::string bytes = test_support::ReadBytes(path);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*))");
  std::vector<std::string> events;
  for (std::size_t begin = 3; begin < bytes.size();) {
    const std::size_t end = bytes.find("\r\n", begin);
    const std::string line = bytes.substr(begin, end - begin);
    std::smatch match;
    if (!std::regex_match(line, match, stamped)) {
      ADD_FAILURE() << "not a log line: " << line;
    }
    events.push_back(match[1]);
    begin = end == std::string::npos ? bytes.size() : end + 2;
  }
  return events;
}
