// The messages that the code under test shows, taken in place of the screen and answered with OK,
// alike on both halves: a routine's report is its own, the box that shows it is the platform's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace test_support {

struct RecordedMessage {
  std::wstring text;
  int code = 0;
  std::optional<std::wstring> caption;
};

// Takes every message while it lives.
class RecordedMessages final : public platform::MessageSink {
 public:
  RecordedMessages() : routed_(*this) {}

  int Take(std::wstring_view text, int code, std::optional<std::wstring_view> caption) override {
    all_.push_back(
        {std::wstring(text), code, caption ? std::optional<std::wstring>(*caption) : std::nullopt});
    return platform::box::kOk;
  }
  const std::vector<RecordedMessage>& All() const { return all_; }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& message : all_) {
      texts.push_back(message.text);
    }
    return texts;
  }

 private:
  std::vector<RecordedMessage> all_;
  platform::RoutedMessages routed_;
};

}  // namespace test_support
