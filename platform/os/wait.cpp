#include "platform/os/wait.h"

#include <algorithm>
#include <cmath>

#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"  // waits on a frozen clock step it

namespace platform::os {
namespace {

constexpr long long kMsPerDay = 86400000;
// System clock: block this long at most, so a switch to the manual clock is
// noticed. Manual clock: block this long in real time, then move the clock
// one step, so a device or thread still gets real time to answer.
constexpr long long kSystemSliceMs = 50;
constexpr long long kManualRealSliceMs = 1;
constexpr long long kManualStepMs = 10;

}  // namespace

long long ClockMs() { return std::llround(clock::Now() * kMsPerDay); }

Deadline::Deadline(long long ms)
    : clock_end_ms_(ClockMs() + ms), real_end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)) {}

long long Deadline::RemainingMs() const {
  const long long on_clock = clock_end_ms_ - ClockMs();
  if (clock::IsManual()) return on_clock;
  const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(real_end_ - std::chrono::steady_clock::now());
  return std::min(on_clock, static_cast<long long>(real.count()));
}

int RealSliceMs(long long remaining_ms) {
  if (remaining_ms <= 0) return 0;
  return static_cast<int>(std::min(remaining_ms, clock::IsManual() ? kManualRealSliceMs : kSystemSliceMs));
}

void AfterIdleSlice(long long remaining_ms) {
  if (remaining_ms > 0 && clock::IsManual()) clock::Pause(static_cast<int>(std::min(remaining_ms, kManualStepMs)));
}

}  // namespace platform::os
