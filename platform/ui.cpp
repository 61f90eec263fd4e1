// Where the program's messages go, and who owns the pointer: the part of the user interface that
// is the same on every platform.
#include "platform/ui.h"

#include <utility>

namespace platform {
namespace {

// The routines call ShowMessage wherever they are, so where their messages go is the one thing
// here that is kept for the whole process.
struct Route {
  MessageSink* sink = nullptr;
};

MessageSink*& InstalledSink() {
  static Route route;
  return route.sink;
}

}  // namespace

int ShowMessage(const std::wstring& prompt, int code, const std::optional<std::wstring>& caption) {
  if (MessageSink* const sink = InstalledSink()) {
    return sink->Take(prompt, code, caption);
  }
  return ShowBox(prompt, code, caption);
}

RoutedMessages::RoutedMessages(MessageSink& sink)
    : previous_(std::exchange(InstalledSink(), &sink)) {}

RoutedMessages::~RoutedMessages() {
  InstalledSink() = previous_;
}

BusyPointer::BusyPointer() {
  SetBusyPointer(true);
}

BusyPointer::~BusyPointer() {
  SetBusyPointer(false);
}

}  // namespace platform
