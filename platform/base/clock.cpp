#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"

#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/base/calendar.h"

namespace platform::clock {
namespace {

std::atomic<bool> manual{false};
std::atomic<long long> manual_ms{0};  // on the calendar's straight time line
std::atomic<long long> ahead_ms{0};   // added to the system clock
std::atomic<bool> manual_yield{true};

TDateTime SystemNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  ::tzset();  // a TZ changed since the last reading takes effect
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // leap second
  const long long ms = ((local.tm_hour * 60LL + local.tm_min) * 60 + second) * 1000 + now.tv_nsec / 1000000;
  return calendar::Join(calendar::DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday), ms);
}

// Sleeps without spinning; a signal does not cut the pause short.
void Sleep(long long nanoseconds) {
  timespec deadline{};
  ::clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += static_cast<time_t>(nanoseconds / 1000000000);
  deadline.tv_nsec += static_cast<long>(nanoseconds % 1000000000);
  if (deadline.tv_nsec >= 1000000000) {
    deadline.tv_nsec -= 1000000000;
    ++deadline.tv_sec;
  }
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

// On a frozen clock a polling loop still hands the processor to the
// device's other side (a thread or an emulator process) at every turn.
constexpr long long kManualYieldNs = 100000;

}  // namespace

TDateTime Now() {
  if (manual.load()) return calendar::FromLinearMs(manual_ms.load());
  if (const long long ahead = ahead_ms.load(); ahead != 0)
    return calendar::FromLinearMs(calendar::ToLinearMs(SystemNow()) + ahead);
  return SystemNow();
}

void Pause(int milliseconds) {
  if (manual.load()) {
    if (milliseconds > 0) manual_ms.fetch_add(milliseconds);
    if (manual_yield.load()) Sleep(kManualYieldNs);
  } else if (milliseconds > 0) {
    Sleep(milliseconds * 1000000LL);
  }
}

void SetManual(TDateTime at) {
  manual_ms.store(calendar::ToLinearMs(at));
  manual.store(true);
}

// A test may also move the clock back (a printer ahead of the register).
void Advance(int milliseconds) { manual_ms.fetch_add(milliseconds); }

bool IsManual() { return manual.load(); }

void SetManualYield(bool yield) { manual_yield.store(yield); }

void UseSystem() { manual.store(false); }

void SetAhead(long long milliseconds) { ahead_ms.store(milliseconds); }

}  // namespace platform::clock
