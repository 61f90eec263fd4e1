// The log of a run, for the administrator who deploys the program to many machines and reads
// afterwards what it did on each: one line per event, each after the machine's local time. It is
// UTF-8 with a byte order mark, which Notepad reads on any Windows whatever the code page, and
// its lines end in CR LF. Lines begin with a fixed word for their kind of event, so that a search
// for "exit" or "message" finds every one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/data_source.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "setup/configuration_rewrite.h"
#include "setup/difference.h"
#include "setup/outcome.h"
#include "setup/products.h"

namespace setup {

// "2024-05-01 14:02:03.004"
[[nodiscard]] std::string TimeStamp(const platform::LocalTime& time);

// Without Open, every event is dropped: a run started without /log writes nothing.
class RunLog {
 public:
  // Opens the log for appending, a new file with its byte order mark. The run's first line names
  // the program and its version, which tells apart the runs that one file may hold.
  void Open(const std::wstring& path, std::wstring_view version);

  // A message the run showed, or would have shown had it not been quiet. Every message passes
  // here, logged or not, so the log also knows whether one has reported a problem.
  void Message(std::wstring_view prompt, int code, std::wstring_view caption);
  // Whether a message has reported a problem. Each routine reports its failures with the critical
  // icon; the question and the completion carry the information icon.
  [[nodiscard]] bool ProblemReported() const { return problemReported_; }
  // A run that would wait for an answer where no one can see a box.
  void Unseen();
  // Where a product's key says it is, or why it is not installed.
  void Product(const setup::Product& product, const ProductFolder& found);
  void EnvironmentValue(std::wstring_view name, std::uint32_t type, bool written);
  void PathLeft(std::wstring_view why);
  void Deployed(std::wstring_view source, std::wstring_view destination, std::size_t files);
  void Rewritten(std::wstring_view file, std::wstring_view backup, const RewriteCounts& counts);
  // What the ODBC installer made of the data source; where it refused, each reason it gave.
  void DataSourceRemoved(std::wstring_view name, const common::DataSourceResult& result);
  void DataSourceAdded(std::wstring_view name, std::wstring_view databaseFile,
                       const common::DataSourceResult& result);
  // A place where the machine is not as a run leaves it.
  void Differs(const Difference& difference);
  // The detection marker, written or not.
  void Marked(std::wstring_view key, std::wstring_view valueName, std::wstring_view version,
              bool written);
  // The run's last line: its exit code and what the code means.
  void Ended(Outcome outcome);

 private:
  void Write(std::wstring_view event);

  std::optional<platform::LogFile> file_;
  bool problemReported_ = false;
};

}  // namespace setup
