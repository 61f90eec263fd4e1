#include "box_answerer.h"

#include <windows.h>

namespace test_support {

BoxAnswerer::BoxAnswerer() : thread_([this] { Watch(); }) {}

BoxAnswerer::~BoxAnswerer() {
  stop_ = true;
  thread_.join();
}

std::vector<msgbox_driver::Box> BoxAnswerer::Answered() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return answered_;
}

void BoxAnswerer::Watch() {
  using namespace std::chrono_literals;
  while (!stop_) {
    for (const HWND box : msgbox_driver::FindBoxes(::GetCurrentProcessId())) {
      msgbox_driver::Box read = msgbox_driver::ReadBox(box);
      read.picture = {};
      const auto ok = msgbox_driver::AnswerButton(box, "ok");
      if (!ok) {
        continue;
      }
      {
        // Recorded before the click, so that the record is there when the box's caller goes on.
        const std::lock_guard<std::mutex> lock(mutex_);
        answered_.push_back(std::move(read));
      }
      msgbox_driver::PressButton(box, *ok);
      msgbox_driver::WaitUntilClosed(box, 10s);
    }
    std::this_thread::sleep_for(msgbox_driver::kPollInterval);
  }
}

}  // namespace test_support
