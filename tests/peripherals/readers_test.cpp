// The optical and proximity readers on pseudo-terminals: one reading per
// call, the type-2 trailer, the line set up, the one-second time-out on the
// library clock, long readings kept whole, and the port closed every time.
#include <gtest/gtest.h>

#include "facade/Qdm00000.h"
#include "peripherals/device_fixture.h"
#include "peripherals/readers/Qdm00800.h"

namespace {

using namespace peripheral_test;
using emu::ReaderDevice;

class ReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Qdm00800::IdPortaOpt = 2;
    Qdm00800::IdVelocOpt = 5;  // "9600"
    Qdm00800::IdTipoOpt = 1;
    Qdm00800::IdPortaProx = 3;
    Qdm00800::IdVelocProx = 6;  // "19200"
  }
  void TearDown() override {
    Qdm00800::IdPortaOpt = Qdm00800::IdPortaProx = 0;
    Qdm00800::IdTipoOpt = 0;
  }
  // Every wait of the ports runs on the frozen clock: a one-second read
  // time-out costs about a tenth of a second.
  FrozenClock clock;
  ReaderDevice optical;
  ReaderDevice badge;
  MappedPort optical_port{2, optical};
  MappedPort badge_port{3, badge};
};

TEST_F(ReadersTest, OpticalTypeTwoDropsTheTrailingCharacterTypeOneKeepsIt) {
  optical.SetCarriageReturn(true);
  ASSERT_TRUE(optical.Present("7891234"));
  Qdm00800::IdTipoOpt = 2;
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "7891234");
  ASSERT_TRUE(optical.Present("7891234"));
  Qdm00800::IdTipoOpt = 1;
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "7891234\r");
  EXPECT_EQ(optical.OpenCount(), 0);
}

TEST_F(ReadersTest, ProximityReaderKeepsTheReadingAsSentAtItsOwnSpeed) {
  badge.SetCarriageReturn(true);
  optical.SetBaud(1200);
  ASSERT_TRUE(badge.Present("0004711"));
  Qdm00800::IdTipoOpt = 2;  // the optical reader's type does not touch the badge reader
  EXPECT_EQ(Qdm00800::GetProximidadeReaderValue(), "0004711\r");
  EXPECT_EQ(badge.Baud(), 19200u);
  EXPECT_EQ(optical.Baud(), 1200u);  // the optical reader's port was not touched
  EXPECT_EQ(badge.OpenCount(), 0);
}

TEST_F(ReadersTest, TextEndsAtTheFirstZeroByte) {
  ASSERT_TRUE(optical.Present(std::string("123\0" "456", 7)));
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "123");
}

TEST_F(ReadersTest, SilentReaderAnswersEmptyAfterOneSecondOnTheLibraryClock) {
  const long long before = clock.ElapsedMs();
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "");
  EXPECT_GE(clock.ElapsedMs() - before, 1000);
  EXPECT_LT(clock.ElapsedMs() - before, 1100);
  EXPECT_EQ(optical.OpenCount(), 0);
}

TEST_F(ReadersTest, ReadingEndsWhenTheLineGoesQuiet) {
  const long long before = clock.ElapsedMs();
  ASSERT_TRUE(optical.Present("ABC123"));
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "ABC123");
  // One read time-out for the first part, then the quiet gap.
  EXPECT_LT(clock.ElapsedMs() - before, 1000 + 2 * static_cast<long long>(Qdm00800::ReadingGapMs));
}

TEST_F(ReadersTest, ReadingOfFiftyOneBytesOrMoreStaysOneReading) {
  for (std::size_t length : {std::size_t{50}, std::size_t{51}, std::size_t{52}, std::size_t{102}, std::size_t{150}, Qdm00800::LongestReading}) {
    std::string code;
    for (std::size_t i = 0; i < length; ++i) code += static_cast<char>('0' + i % 10);
    ASSERT_TRUE(optical.Present(code));
    EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), code) << length;
    EXPECT_EQ(optical.Receive(0, 0), "");
  }
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "") << "nothing left over for a second reading";
}

TEST_F(ReadersTest, OverlongReadingIsDroppedWholeNothingOfItIsLeftToRead) {
  const std::string runaway(Qdm00800::LongestReading + 40, '7');
  ASSERT_TRUE(optical.Present(runaway));
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "");
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "");
  EXPECT_EQ(optical.OpenCount(), 0);
}

TEST_F(ReadersTest, MissingPortOrBadIndexesReadEmptyAtOnce) {
  const long long before = clock.ElapsedMs();
  const struct {
    int port, speed;
  } cases[] = {{0, 5}, {9, 5}, {2, -1}, {2, 13}, {15, 5}};
  platform::MapPort("COM9", "/nonexistent/tty");
  for (const auto& c : cases) {
    Qdm00800::IdPortaOpt = c.port;
    Qdm00800::IdVelocOpt = c.speed;
    EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "") << c.port << "/" << c.speed;
  }
  platform::UnmapPort("COM9");
  EXPECT_LT(clock.ElapsedMs() - before, 100);
  EXPECT_EQ(optical.OpenCount(), 0);
}

TEST_F(ReadersTest, EverySpeedOfTheTableReachesTheLine) {
  for (int index = 0; index < 13; ++index) {
    Qdm00800::IdVelocOpt = index;
    ASSERT_TRUE(optical.Present("1"));
    EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "1") << index;
    EXPECT_EQ(optical.Baud(), std::stoul(Qdm00000::Velocidades[static_cast<std::size_t>(index)])) << index;
  }
}

}  // namespace
