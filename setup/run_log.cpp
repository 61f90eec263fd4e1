#include "setup/run_log.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/failure.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace setup {
namespace {

namespace registry = platform::registry;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where the program found its products: a 32-bit program on 64-bit Windows reads the 32-bit view,
// where regedit shows the keys below WOW6432Node.
constexpr std::wstring_view kRegistryView =
    registry::kViewBits == 64 ? L"64-bit registry view" : L"32-bit registry view";

std::wstring TypeName(std::uint32_t type) {
  switch (type) {
    case registry::kTypeString:
      return L"REG_SZ";
    case registry::kTypeExpandString:
      return L"REG_EXPAND_SZ";
    case registry::kTypeDword:
      return L"REG_DWORD";
    case registry::kTypeMultiString:
      return L"REG_MULTI_SZ";
    default:
      return L"type " + std::to_wstring(type);
  }
}

// A log line is one line: each run of line breaks in a message becomes one visible mark.
std::wstring OnOneLine(std::wstring_view text) {
  std::wstring line;
  bool broken = false;
  for (const wchar_t c : text) {
    if (c == L'\r' || c == L'\n') {
      broken = !line.empty();
      continue;
    }
    if (broken) {
      line += L" | ";
      broken = false;
    }
    line += c;
  }
  return line;
}

std::wstring Finding(const ProductFolder& found) {
  using State = ProductFolder::State;
  switch (found.state) {
    case State::kFound:
      return found.folder;
    case State::kKeyMissing:
      return L"not installed";
    case State::kUnreadable:
      return L"unreadable";
    case State::kNoFolderName:
      return L"not installed, its key names no folder";
    case State::kNotFullPath:
      return L"not installed, " + found.folder + L" is not a full path";
    case State::kFolderMissing:
      return L"not installed, there is no folder " + found.folder;
  }
  return {};
}

std::wstring Counted(std::size_t count, std::wstring_view noun) {
  std::wstring text = std::to_wstring(count) + L' ' + std::wstring(noun);
  if (count != 1) {
    text += L's';
  }
  return text;
}

std::wstring Joined(std::initializer_list<std::wstring_view> parts) {
  std::wstring text;
  for (const std::wstring_view part : parts) {
    text += part;
  }
  return text;
}

// The reasons the ODBC installer gave for a request it refused, each with its ODBC_ERROR_ code,
// which an administrator can look up; nothing where it gave none.
std::wstring Reasons(const std::vector<common::InstallerError>& errors) {
  std::wstring text;
  for (const common::InstallerError& error : errors) {
    text += text.empty() ? L": " : L"; ";
    text += Joined(
        {L"ODBC installer error ", std::to_wstring(error.code), L": ", OnOneLine(error.message)});
  }
  return text;
}

}  // namespace

std::string TimeStamp(const platform::LocalTime& time) {
  struct Field {
    int value;
    std::size_t width;
    std::string_view after;
  };
  const std::array<Field, 7> fields{{{time.year, 4, "-"},
                                     {time.month, 2, "-"},
                                     {time.day, 2, " "},
                                     {time.hour, 2, ":"},
                                     {time.minute, 2, ":"},
                                     {time.second, 2, "."},
                                     {time.millisecond, 3, ""}}};
  std::string text;
  for (const Field& field : fields) {
    const std::string digits = std::to_string(field.value);
    text.append(field.width - std::min(field.width, digits.size()), '0');
    text += digits;
    text += field.after;
  }
  return text;
}

void RunLog::Open(const std::wstring& path, std::wstring_view version) {
  file_.emplace(path);
  if (file_->StartedEmpty()) {
    file_->Append(kByteOrderMark);
  }
  Write(Joined({L"start setup.exe ", version}));
}

void RunLog::Message(std::wstring_view prompt, int code, std::wstring_view caption) {
  problemReported_ = problemReported_ || (code & platform::box::kIcon) == platform::box::kCritical;
  Write(Joined({L"message ", std::to_wstring(code), L" [", caption, L"] ", OnOneLine(prompt)}));
}

void RunLog::Product(const setup::Product& product, const ProductFolder& found) {
  Write(Joined({L"product ", product.name, L": ", Finding(found), L" (", product.key, L", ",
                kRegistryView, L")"}));
}

void RunLog::EnvironmentValue(std::wstring_view name, std::uint32_t type, bool written) {
  Write(Joined(
      {L"environment ", name, written ? L": written as " + TypeName(type) : L": not written"}));
}

void RunLog::PathLeft(std::wstring_view why) {
  Write(Joined({L"environment Path: left as it was, ", why}));
}

void RunLog::Deployed(std::wstring_view source, std::wstring_view destination, std::size_t files) {
  Write(Joined(
      {L"deploy ", source, L" -> ", destination, L": ", Counted(files, L"file"), L" copied"}));
}

void RunLog::Rewritten(std::wstring_view file, std::wstring_view backup,
                       const RewriteCounts& counts) {
  if (counts.notText) {
    Write(Joined({L"rewrite ", file,
                  L": left as deployed, it is not text (UTF-16 or NUL bytes), "
                  L"backup ",
                  backup}));
    return;
  }
  const std::wstring encoding = platform::FromAnsi(counts.encoding.name);
  const std::wstring readAs =
      counts.encoding.kind == Encoding::Kind::kUnreadable
          ? L" in the system's code page, as " + encoding + L" cannot be read"
          : L" as " + encoding;
  Write(Joined({L"rewrite ", file, L": ", Counted(counts.linesRead, L"line"), L" read", readAs,
                L", ", std::to_wstring(counts.linesReplaced), L" replaced, backup ", backup}));
}

// The ODBC installer also answers success for a data source that was not there to remove.
void RunLog::DataSourceRemoved(std::wstring_view name, const common::DataSourceResult& result) {
  Write(result.done ? Joined({L"datasource ", name, L": removed, if there was one"})
                    : Joined({L"datasource ", name, L": not removed", Reasons(result.errors)}));
}

void RunLog::DataSourceAdded(std::wstring_view name, std::wstring_view databaseFile,
                             const common::DataSourceResult& result) {
  Write(result.done ? Joined({L"datasource ", name, L": added for ", databaseFile})
                    : Joined({L"datasource ", name, L": not added", Reasons(result.errors)}));
}

void RunLog::Unseen() {
  Write(
      L"unseen: the window station is not visible, so no one could answer a box; a run here "
      L"needs /quiet");
}

void RunLog::Marked(std::wstring_view key, std::wstring_view valueName, std::wstring_view version,
                    bool written) {
  Write(Joined({L"marker ", key, L"\\", valueName, L" (", kRegistryView, L"): ", version,
                written ? L" written" : L" not written"}));
}

void RunLog::Differs(const Difference& difference) {
  switch (difference.kind) {
    case Difference::Kind::kValue:
      Write(Joined({L"differs ", difference.what, L": expected ", difference.expected, L", found ",
                    difference.found ? *difference.found : L"nothing"}));
      return;
    case Difference::Kind::kMissing:
      Write(Joined({L"differs ", difference.what, L": missing"}));
      return;
    case Difference::Kind::kContent:
      Write(Joined({L"differs ", difference.what, L": not the bytes a run leaves"}));
      return;
  }
}

void RunLog::Ended(Outcome outcome) {
  Write(Joined({L"exit ", std::to_wstring(ExitCodeOf(outcome)), L": ", MeaningOf(outcome)}));
}

// The setup matters more than its log: a line that cannot be written (a disk gone full) is lost,
// and the run goes on.
void RunLog::Write(std::wstring_view event) {
  if (!file_) {
    return;
  }
  try {
    std::string line = TimeStamp(platform::LocalTimeNow());
    line += ' ';
    line += platform::ToUtf8(event);
    line += "\r\n";
    file_->Append(line);
  } catch (const platform::Failure&) {
    return;
  }
}

}  // namespace setup
