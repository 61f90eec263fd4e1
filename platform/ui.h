// The user sees the program only through modal message boxes.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Codes are sums of the standard Windows values, so a call site reads like the box it shows.
namespace box {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kCritical = 16;
inline constexpr int kWarning = 48;
inline constexpr int kInformation = 64;
inline constexpr int kSystemModal = 4096;

// The parts of a code.
inline constexpr int kButtons = 0xF;
inline constexpr int kIcon = 0xF0;

inline constexpr int kOk = 1;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace box

// The caption of every box shown without a caption of its own.
inline constexpr wchar_t kApplicationTitle[] = L"setup";

// Shows a modal box and waits for the user's answer. Without a caption the box carries the
// application's title. While a sink is installed, the sink takes the message instead and gives the
// answer.
int ShowMessage(const std::wstring& prompt, int code,
                const std::optional<std::wstring>& caption = std::nullopt);

// Whether a box shown now would be seen by anyone: the process's window station is the visible
// one. A service, a scheduled task and a deployment tool's SYSTEM account run in session 0, where
// a box waits for an answer that never comes.
[[nodiscard]] bool CanShowBoxes();

// The box itself, on the screen, whatever sink is installed.
int ShowBox(const std::wstring& prompt, int code, const std::optional<std::wstring>& caption);

// Takes every message of the program in place of the screen: the routines report where their
// failures happen, and the run decides whether such a report is shown, and where it is recorded.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual int Take(const std::wstring& prompt, int code,
                   const std::optional<std::wstring>& caption) = 0;
};

// Installs a sink for its own lifetime; whatever took the messages before takes them again after.
class RoutedMessages {
 public:
  [[nodiscard]] explicit RoutedMessages(MessageSink& sink);
  ~RoutedMessages();
  RoutedMessages(const RoutedMessages&) = delete;
  RoutedMessages& operator=(const RoutedMessages&) = delete;

 private:
  MessageSink* previous_;
};

// The hourglass or the default pointer; BusyPointer is the one caller.
void SetBusyPointer(bool busy);

// The hourglass while it lives, the default pointer again when it goes, whatever the way out: the
// report of a failure that ends the run shows with the default pointer.
class BusyPointer {
 public:
  [[nodiscard]] BusyPointer();
  ~BusyPointer();
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace platform
