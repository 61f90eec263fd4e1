#include "driver_options.h"

#include <cwchar>

#include "platform/text.h"

namespace mbdriver {
namespace {

std::vector<std::string> SplitAnswers(std::wstring_view list) {
  std::vector<std::string> answers;
  while (!list.empty()) {
    const std::size_t comma = list.find(L',');
    answers.push_back(platform::ToUtf8(list.substr(0, comma)));
    list.remove_prefix(comma == std::wstring_view::npos ? list.size() : comma + 1);
  }
  return answers;
}

std::optional<std::chrono::seconds> ParseTimeout(const wchar_t* value) {
  const long seconds = std::wcstol(value, nullptr, 10);
  if (seconds <= 0) {
    return std::nullopt;
  }
  return std::chrono::seconds(seconds);
}

// Unlike the timeout, a delay is read whole: 0 is a kill at the first answer, not a mistake.
std::optional<std::chrono::milliseconds> ParseDelay(const wchar_t* value) {
  wchar_t* end = nullptr;
  const long milliseconds = std::wcstol(value, &end, 10);
  if (end == value || *end != L'\0' || milliseconds < 0) {
    return std::nullopt;
  }
  return std::chrono::milliseconds(milliseconds);
}

// Stores one option and its value; false for an option that the driver does not know, or a value
// that it cannot take.
bool TakeOption(std::wstring_view option, const wchar_t* value, Options& options) {
  if (option == L"--log") {
    options.log = value;
  } else if (option == L"--answers") {
    options.answers = SplitAnswers(value);
  } else if (option == L"--shots") {
    options.shots = value;
  } else if (option == L"--hold") {
    options.hold = value;
  } else if (option == L"--timeout") {
    const std::optional<std::chrono::seconds> timeout = ParseTimeout(value);
    if (!timeout) {
      return false;
    }
    options.timeout = *timeout;
  } else if (option == L"--kill-after") {
    options.killAfter = ParseDelay(value);
    return options.killAfter.has_value();
  } else if (option == L"--kill-on") {
    options.killOn = value;
  } else if (option == L"--kill-on-change") {
    options.killOnChange = value;
  } else if (option == L"--line") {
    options.line = value;
  } else if (option == L"--station") {
    options.station = value;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
  Options options;
  int i = 1;
  for (; i < argc; ++i) {
    const std::wstring_view option = argv[i];
    if (option == L"--") {
      ++i;
      break;
    }
    if (i + 1 >= argc || !TakeOption(option, argv[i + 1], options)) {
      return std::nullopt;
    }
    ++i;
  }
  options.command.assign(argv + i, argv + argc);
  if (options.log.empty() || options.command.empty()) {
    return std::nullopt;
  }
  return options;
}

}  // namespace mbdriver
