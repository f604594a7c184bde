// Fault counts, the clock, digit fields and port locks of the emulated
// devices.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "emulators/common/bench.h"
#include "tests/support/temp_dir.h"
#include "emulators/common/clock.h"
#include "emulators/common/fields.h"
#include "emulators/common/locks.h"
#include "tests/support/other_process.h"

namespace {

TEST(FaultCount, CountsDownHoldsAtMinusOneAndClearsWithZero) {
  emu::FaultCount fault;
  EXPECT_FALSE(fault.Take());
  fault.Set(2);
  EXPECT_TRUE(fault.Take());
  EXPECT_TRUE(fault.Take());
  EXPECT_FALSE(fault.Take());
  for (int held : {-1, -7}) {
    fault.Set(held);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(fault.Take());
    fault.Set(0);
    EXPECT_FALSE(fault.Take());
  }
}

// A device left running keeps the last frames only; the numbering goes on
// from the last clear, and a frame that left the record is not made up.
TEST(Traffic, HoldsTheLastFramesNumberedFromTheClear) {
  emu::Traffic traffic;
  const std::size_t total = 2 * emu::Traffic::kKept + 3;
  const auto text = [](std::size_t i) { return "frame " + std::to_string(i); };
  for (std::size_t i = 0; i < total; ++i) traffic.Record(text(i));
  EXPECT_EQ(traffic.count(), total);
  EXPECT_EQ(traffic.last(), text(total - 1));
  // At least the last kKept are held, every one as it came.
  std::size_t oldest = total;
  while (oldest > 0 && traffic.frame(oldest - 1)) --oldest;
  EXPECT_LE(oldest, total - emu::Traffic::kKept);
  EXPECT_GT(oldest, 0u);
  for (std::size_t i = oldest; i < total; ++i) ASSERT_EQ(traffic.frame(i), text(i)) << i;
  EXPECT_EQ(traffic.frame(0), std::nullopt);
  EXPECT_EQ(traffic.frame(total), std::nullopt);
  traffic.Clear();
  EXPECT_EQ(traffic.count(), 0u);
  EXPECT_EQ(traffic.frame(0), std::nullopt);
  traffic.Record(std::string("\0\x1B", 2));
  traffic.Record("");
  EXPECT_EQ(traffic.frame(0), std::string("\0\x1B", 2));
  EXPECT_EQ(traffic.frame(1), "");
}

TEST(Clock, FrozenOrHostWithOffset) {
  emu::Clock clock;
  clock.Freeze(emu::DateTime{2026, 12, 10, 14, 3, 27});
  EXPECT_EQ(emu::Format(clock.Now(), "%Y-%m-%d %H:%M:%S %a"), "2026-12-10 14:03:27 Thu");
  EXPECT_EQ(emu::DayText(clock.Today()), "101226");
  EXPECT_EQ(emu::DaySlashed(clock.Today() + 22), "01/01/2027");
  for (int day : {emu::DayNumber(2000, 1, 1), emu::DayNumber(2009, 9, 30), emu::DayNumber(2099, 12, 31)}) {
    const emu::DateTime d = emu::FromDayNumber(day);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%02d%02d%02d", d.day, d.month, d.year % 100);
    EXPECT_EQ(emu::DayText(day), expected);
  }
  EXPECT_EQ(emu::Format(emu::FromDayNumber(-1), "%d/%m/%Y %a"), "31/12/1969 Wed");

  clock.UseHost(0);
  const int today = clock.Today();
  clock.UseHost(2 * 86400);
  EXPECT_GE(clock.Today() - today, 1);  // two days on, whatever the hour
  EXPECT_LE(clock.Today() - today, 2);
  EXPECT_FALSE(emu::ValidDate(2026, 2, 29));
  EXPECT_TRUE(emu::ValidDate(2028, 2, 29));
  EXPECT_FALSE(emu::ValidTime(24, 0, 0));
}

class PortLockTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(setenv("PKG_QDM_EMU_LOCK_DIR", (dir + "/ports").c_str(), 1), 0); }
  void TearDown() override { unsetenv("PKG_QDM_EMU_LOCK_DIR"); }
  testsupport::TempDir temp{"emu-locks"};
  std::string dir = temp.path();
};

// A digit field is what printf's "%0*lld" writes, zeros, sign and all.
TEST(Digits, AsPrintfWritesThem) {
  const struct {
    long long value;
    int width;
  } cases[] = {{0, 0}, {0, 4}, {7, 1}, {42, 6}, {123456, 3}, {9223372036854775807LL, 18}, {-5, 4}, {12, 31}, {3, -4}};
  for (const auto& c : cases) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%0*lld", c.width, c.value);
    EXPECT_EQ(emu::Digits(c.value, c.width), expected) << c.value << " in " << c.width;
  }
}

TEST_F(PortLockTest, OnePortWhateverItsSpellingAndDevicePathsApart) {
  const std::string com1 = emu::PortLockFile("COM1");
  EXPECT_EQ(com1, dir + "/ports/COM1.lock");
  EXPECT_EQ(emu::PortLockFile("com1:"), com1);
  EXPECT_EQ(emu::PortLockFile("\\\\.\\COM1"), com1);
  EXPECT_NE(emu::PortLockFile("COM10"), com1);
  EXPECT_NE(emu::PortLockFile("/dev/ttyS0"), emu::PortLockFile("/dev/TTYS0"));
  EXPECT_EQ(emu::PortLockFile("../x").find("/../"), std::string::npos) << "stays in the lock directory";
}

TEST_F(PortLockTest, HeldInOneProcessRefusedInAnotherUntilReleasedOrDead) {
  emu::PortLock ours;
  std::string error;
  ASSERT_TRUE(ours.Acquire("COM1", &error)) << error;
  EXPECT_TRUE(ours.Acquire("com1")) << "held already: kept";

  auto other_process_takes = [](const char* port) {
    testsupport::OtherProcess other({[port] {
      emu::PortLock theirs;
      return theirs.Acquire(port) ? 1 : 0;
    }});
    return other.Run(0) == 1;
  };
  EXPECT_FALSE(other_process_takes("COM1"));
  EXPECT_TRUE(other_process_takes("COM2"));
  emu::PortLock second_open;
  EXPECT_FALSE(second_open.Acquire("COM1", &error));
  EXPECT_NE(error.find("held by another process"), std::string::npos) << error;

  ours.Release();
  EXPECT_TRUE(other_process_takes("COM1"));

  // A holder that dies, however it dies, lets go.
  auto theirs = std::make_shared<emu::PortLock>();  // the holder's copy is the one held
  testsupport::OtherProcess holder({[theirs] { return theirs->Acquire("COM1") ? 1 : 0; }});
  ASSERT_EQ(holder.Run(0), 1);
  EXPECT_FALSE(ours.Acquire("COM1"));
  holder.Kill();
  EXPECT_TRUE(ours.Acquire("COM1"));
}

TEST_F(PortLockTest, ALockDirectoryThatCannotBeMadeRefusesThePort) {
  ASSERT_EQ(setenv("PKG_QDM_EMU_LOCK_DIR", (dir + "/no/such/dir").c_str(), 1), 0);
  emu::PortLock lock;
  std::string error;
  EXPECT_FALSE(lock.Acquire("COM1", &error));
  EXPECT_NE(error.find("no/such/dir"), std::string::npos) << error;
}

}  // namespace
