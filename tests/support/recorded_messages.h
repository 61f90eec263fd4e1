// The messages that the code under test shows, taken in place of the screen and answered with OK,
// alike on both halves: a routine's report is its own, the box that shows it is the platform's.
#pragma once

#include <optional>
#include <string>
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

  int Take(const std::wstring& text, int code,
           const std::optional<std::wstring>& caption) override {
    all_.push_back({text, code, caption});
    return platform::box::kOk;
  }
  [[nodiscard]] const std::vector<RecordedMessage>& All() const { return all_; }
  [[nodiscard]] std::vector<std::wstring> Texts() const {
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
