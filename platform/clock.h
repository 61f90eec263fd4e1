// The machine's clock.
#pragma once

namespace platform {

// The time as the machine's own clock shows it, in its time zone: what an administrator at that
// machine compares a log with.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

[[nodiscard]] LocalTime LocalTimeNow();

}  // namespace platform
