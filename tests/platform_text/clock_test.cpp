// The library clock: tests freeze it and move it, so time-outs of seconds
// run in milliseconds.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <thread>

#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"
#include "platform/text/datetime.h"

namespace platform {
namespace {

class ClockTest : public ::testing::Test {
 protected:
  void TearDown() override {
    clock::UseSystem();
    clock::SetAhead(0);
  }
  const TDateTime start_ = EncodeDate(2026, 12, 31) + EncodeTime(23, 59, 59, 0);
};

TEST_F(ClockTest, ManualClockMovesOnlyWhenAsked) {
  clock::SetManual(start_);
  EXPECT_TRUE(clock::IsManual());
  EXPECT_EQ(clock::Now(), start_);
  EXPECT_EQ(clock::Now(), start_);
  clock::Pause(7000);  // across midnight and the new year
  EXPECT_EQ(clock::Now(), EncodeDate(2027, 1, 1) + EncodeTime(0, 0, 6, 0));
  clock::Advance(500);
  EXPECT_EQ(clock::Now(), EncodeDate(2027, 1, 1) + EncodeTime(0, 0, 6, 500));
  clock::Advance(-1500);
  EXPECT_EQ(clock::Now(), EncodeDate(2027, 1, 1) + EncodeTime(0, 0, 5, 0));
  clock::Pause(0);
  clock::Pause(-10);
  EXPECT_EQ(clock::Now(), EncodeDate(2027, 1, 1) + EncodeTime(0, 0, 5, 0));
}

TEST_F(ClockTest, PausesFromSeveralThreadsAllCount) {
  clock::SetManual(start_);
  auto pause_many = [] {
    for (int i = 0; i < 200; ++i) clock::Pause(10);
  };
  std::thread other(pause_many);
  pause_many();
  other.join();
  EXPECT_EQ(clock::Now(), EncodeDate(2027, 1, 1) + EncodeTime(0, 0, 3, 0));
}

TEST_F(ClockTest, SystemClockReadsLocalTime) {
  clock::SetManual(start_);
  clock::UseSystem();
  EXPECT_FALSE(clock::IsManual());
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const TDateTime expected = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                             EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
  EXPECT_LT(std::fabs(clock::Now() - expected), 60.0 / 86400);
  clock::Pause(1);  // sleeps for real, returns
}

// A register living days ahead of its host: the system clock moved, still
// running; a frozen clock wins over it, and 0 puts it back.
TEST_F(ClockTest, AheadClockRunsOffTheSystemClock) {
  const TDateTime host = clock::Now();
  clock::SetAhead(36LL * 3600 * 1000);
  EXPECT_NEAR(clock::Now() - host, 1.5, 60.0 / 86400);
  clock::SetManual(start_);
  EXPECT_EQ(clock::Now(), start_);
  clock::UseSystem();
  EXPECT_NEAR(clock::Now() - host, 1.5, 60.0 / 86400);
  clock::SetAhead(0);
  EXPECT_NEAR(clock::Now() - host, 0, 60.0 / 86400);
}

}  // namespace
}  // namespace platform
