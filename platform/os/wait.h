// Bounded waits measured on the library clock. A wait is cut into short
// slices of real blocking; on a manual clock nothing else may move the
// time, so an idle slice moves it on with clock::Pause.
#pragma once
#include <chrono>

namespace platform::os {

// Whole milliseconds on the library clock.
long long ClockMs();

// The end of a wait of some milliseconds from now. On the system clock the
// real time elapsed bounds it too, so a clock set back (summer time, a
// correction) cannot stretch a wait.
class Deadline {
 public:
  explicit Deadline(long long ms);
  long long RemainingMs() const;

 private:
  long long clock_end_ms_;
  std::chrono::steady_clock::time_point real_end_;
};

// Real milliseconds to block for the next slice of a wait that has
// `remaining_ms` left.
int RealSliceMs(long long remaining_ms);
// Called after a slice in which nothing arrived.
void AfterIdleSlice(long long remaining_ms);

}  // namespace platform::os
