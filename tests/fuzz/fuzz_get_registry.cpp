// GetRegistry over any stored bytes, of lengths around the read buffer's 510 bytes, and over a
// failure of each registry call: it must give the text before the first NUL or report exactly
// once, and it must never leave a key open.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/error_trap.h"
#include "common/registry.h"
#include "fuzz_support.h"
#include "platform/host/double_control.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace {

namespace registry = platform::registry;
using host_double::Call;

constexpr std::size_t kReadBufferSize = 510;  // 509 bytes of text and their NUL
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kInvalidHandle = 6;

enum class Fault {
  kNone,
  kOpenDenied,
  kOpenMissing,
  kQueryDenied,
  kCloseFails,
  kMaxValue = kCloseFails
};

std::string StoredBytes(FuzzedDataProvider& input) {
  if (!input.ConsumeBool()) {
    return input.ConsumeRemainingBytesAsString();
  }
  // A value just short of, at, or just past what the buffer holds, padded with one byte.
  const auto length =
      input.ConsumeIntegralInRange<std::size_t>(kReadBufferSize - 5, kReadBufferSize + 5);
  const auto padding = input.ConsumeIntegral<char>();
  std::string bytes = input.ConsumeBytesAsString(length);
  bytes.resize(length, padding);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  host_double::Reset();
  const Fault fault = input.ConsumeEnum<Fault>();
  // The routine does not look at the type: a text read from a binary value is still read.
  const auto type = input.ConsumeIntegralInRange<std::uint32_t>(0, 11);
  const std::string stored = StoredBytes(input);
  host_double::PutValue(registry::kLocalMachine, "SOFTWARE\\JavaSoft\\Java Development Kit\\1.4",
                        "JavaHome", type, stored);
  switch (fault) {
    case Fault::kNone:
      break;
    case Fault::kOpenDenied:
      host_double::Fail(Call::kRegistryOpen, kAccessDenied);
      break;
    case Fault::kOpenMissing:
      host_double::Fail(Call::kRegistryOpen, kFileNotFound);
      break;
    case Fault::kQueryDenied:
      host_double::Fail(Call::kRegistryQuery, kAccessDenied);
      break;
    case Fault::kCloseFails:
      host_double::Fail(Call::kRegistryClose, kInvalidHandle);
      break;
  }

  const std::wstring value = common::GetRegistry(
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Development Kit\\1.4", L"JavaHome");

  fuzz::Require(host_double::OpenKeyCount() == 0, "no key is left open");
  const auto& shown = host_double::ShownMessages();
  if (fault == Fault::kOpenMissing) {
    fuzz::Require(value == common::kInvalidKey && shown.empty(), "a missing key is no failure");
    return 0;
  }
  const std::size_t nul = stored.find('\0');
  if (fault == Fault::kNone && stored.size() <= kReadBufferSize && nul != std::string::npos) {
    fuzz::Require(value == platform::FromAnsi(std::string_view(stored).substr(0, nul)),
                  "the value is the text before its first NUL");
    fuzz::Require(shown.empty(), "a value read is not reported");
    return 0;
  }
  fuzz::Require(value == common::kError, "a value that cannot be read gives ERROR");
  fuzz::Require(shown.size() == 1, "a failure is reported exactly once");
  fuzz::Require(shown[0].code == platform::box::kCritical &&
                    shown[0].caption == std::wstring(common::kWarningCaption),
                "a failure is reported as a warning");
  return 0;
}
