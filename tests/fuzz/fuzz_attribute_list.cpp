// The attribute list of a data source for any name and database path: every pair followed by
// exactly one NUL, and one more NUL at the end.
//
// A NUL inside a name or a path would end its pair early and make the rest a pair of its own.
// The program never hands one over: its names are fixed, and the path is built from a folder that
// GetRegistry has already cut at its first NUL. So NUL is taken out of the inputs here, as the
// callers guarantee, rather than tested for.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/data_source.h"
#include "fuzz_support.h"
#include "platform/host/double_control.h"
#include "platform/odbc.h"
#include "platform/text.h"

namespace {

// Windows' wchar_t is a UTF-16 unit, lone surrogates included; two bytes make one.
std::wstring Utf16Units(const std::string& bytes) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (unit != 0) {
      text += static_cast<wchar_t>(unit);
    }
  }
  return text;
}

std::vector<std::string> Fields(const std::string& list) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t nul = list.find('\0'); nul != std::string::npos; nul = list.find('\0', start)) {
    fields.push_back(list.substr(start, nul - start));
    start = nul + 1;
  }
  fuzz::Require(start == list.size(), "the list ends with a NUL");
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  host_double::Reset();
  const bool registrationFails = input.ConsumeBool();
  const auto nameBytes = input.ConsumeIntegralInRange<std::size_t>(0, 64);
  const std::wstring name = Utf16Units(input.ConsumeBytesAsString(nameBytes));
  const std::wstring path = Utf16Units(input.ConsumeRemainingBytesAsString());
  if (registrationFails) {
    host_double::Fail(host_double::Call::kConfigDataSource, host_double::kOdbcRequestFailed);
  }

  // What the installer was asked is checked below; the results only echo the double's script.
  static_cast<void>(common::AddDataSource(name, path));
  static_cast<void>(common::RemoveDataSource(name));

  const auto& calls = host_double::OdbcCalls();
  fuzz::Require(calls.size() == 2, "one call to add, one to remove");
  const std::string driver = platform::ToAnsi(common::kAccessDriver);
  fuzz::Require(calls[0].request == platform::odbc::kAddSystemDsn && calls[0].driver == driver,
                "the add goes to the Access driver");
  fuzz::Require(calls[1].request == platform::odbc::kRemoveSystemDsn && calls[1].driver == driver,
                "the remove goes to the Access driver");

  const std::string dsn = "DSN=" + platform::ToAnsi(name);
  const std::string dbq = "DBQ=" + platform::ToAnsi(path);
  // Each pair is its own field, and the empty field after the last pair is the list's end.
  const std::vector<std::string> added = Fields(calls[0].attributes);
  fuzz::Require(added == std::vector<std::string>{dsn, dbq, "MaxBufferSize=2048", "PageTimeout=5",
                                                  "FIL=MS Access", ""},
                "the add hands over each pair once, then the end");
  const std::vector<std::string> removed = Fields(calls[1].attributes);
  fuzz::Require(removed == std::vector<std::string>{dsn, ""},
                "the remove hands over the name, then the end");

  const auto& shown = host_double::ShownMessages();
  if (registrationFails) {
    fuzz::Require(shown.size() == 1 && shown[0].prompt.find(name) != std::wstring::npos,
                  "a failed registration is shown once, with its name");
  } else {
    fuzz::Require(shown.empty(), "a registration is not reported");
  }
  return 0;
}
