// The optical and proximity readers on pseudo-terminals: one reading per
// call, the type-2 trailer, the line set up, the one-second time-out on the
// library clock, long readings kept whole, and the port closed every time.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "facade/Qdm00000.h"
#include "peripherals/device_fixture.h"
#include "peripherals/readers/Qdm00800.h"
#include "support/emulator_library.h"

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

namespace {

// The reader emulator program, driven as a person would drive it.
class ReaderProgram {
 public:
  ReaderProgram() {
    int to_child[2], from_child[2];
    if (::pipe(to_child) != 0 || ::pipe(from_child) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(to_child[0], 0);
      ::dup2(from_child[1], 1);
      const std::string program = testsupport::ExecutableDirectory() + "/reader_emulator";
      ::execl(program.c_str(), "reader_emulator", "--cr", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    in_ = ::fdopen(to_child[1], "w");
    out_ = ::fdopen(from_child[0], "r");
  }
  ~ReaderProgram() {
    Say("quit");
    std::fclose(in_);
    std::fclose(out_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  ReaderProgram(const ReaderProgram&) = delete;
  ReaderProgram& operator=(const ReaderProgram&) = delete;

  std::string Line() {
    char line[512] = {};
    if (!std::fgets(line, sizeof line, out_)) return "";
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  void Say(const std::string& command) {
    std::fputs((command + "\n").c_str(), in_);
    std::fflush(in_);
  }

 private:
  pid_t pid_ = -1;
  FILE* in_ = nullptr;
  FILE* out_ = nullptr;
};

TEST(ReaderEmulatorProgram, SendsAReadingWhenAskedWithOrWithoutTheCarriageReturn) {
  FrozenClock clock;
  ReaderProgram reader;
  const std::string device = reader.Line();
  ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
  platform::MapPort("COM11", device);
  Qdm00800::IdPortaProx = 11;
  Qdm00800::IdVelocProx = 5;
  reader.Say("read 0004711");
  ASSERT_EQ(reader.Line(), "sent");
  EXPECT_EQ(Qdm00800::GetProximidadeReaderValue(), "0004711\r");
  reader.Say("cr off");
  ASSERT_EQ(reader.Line(), "ok");
  reader.Say("read 0004712");
  ASSERT_EQ(reader.Line(), "sent");
  EXPECT_EQ(Qdm00800::GetProximidadeReaderValue(), "0004712");
  platform::UnmapPort("COM11");
  Qdm00800::IdPortaProx = 0;
}

}  // namespace
