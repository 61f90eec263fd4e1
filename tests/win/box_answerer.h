// Answers the message boxes that the test program itself shows, from a thread of its own, as a
// user would: the routines under test report through modal boxes and would otherwise wait forever.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "msgbox_driver.h"

namespace test_support {

class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  // Every box answered so far, in order: caption, text and code as the user saw them.
  std::vector<msgbox_driver::Box> Answered();

 private:
  void Watch();

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<msgbox_driver::Box> answered_;
  std::thread thread_;
};

}  // namespace test_support
