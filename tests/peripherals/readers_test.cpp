// The optical and proximity readers on pseudo-terminals: one read per call
// (at most 51 bytes within one second on the library clock, whatever the
// reader keeps sending), the type-2 trailer, the line set up, and the port
// closed every time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "facade/Qdm00000.h"
#include "peripherals/device_fixture.h"
#include "peripherals/readers/Qdm00800.h"
#include "support/child_program.h"
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
  ASSERT_TRUE(optical.Present(std::string("123\0"
                                          "456",
                                          7)));
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "123");
}

TEST_F(ReadersTest, SilentReaderAnswersEmptyAfterOneSecondOnTheLibraryClock) {
  const long long before = clock.ElapsedMs();
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "");
  EXPECT_GE(clock.ElapsedMs() - before, kReadTimeoutMs);
  EXPECT_LE(clock.ElapsedMs() - before, kReadTimeoutMs + kClockStepMs);
  EXPECT_EQ(optical.OpenCount(), 0);
}

// What a reader sends repeated from the start, cut at `length` bytes.
std::string Repeated(const std::string& reading, std::size_t length) {
  std::string bytes;
  while (bytes.size() < length) bytes += reading;
  return bytes.substr(0, length);
}

TEST_F(ReadersTest, OneReadTakesWhatCameWithinTheSecondAtMostFiftyOneBytes) {
  struct Case {
    std::string sent;
    std::string read;
    long long min_ms, max_ms;  // library-clock time the call took
  };
  const std::string digits = Repeated("0123456789", 300);
  const Case cases[] = {
      {"ABC123", "ABC123", kReadTimeoutMs, kReadTimeoutMs + kClockStepMs},  // fewer than 51: the whole second
      {digits.substr(0, 50), digits.substr(0, 50), kReadTimeoutMs, kReadTimeoutMs + kClockStepMs},
      {digits.substr(0, 51), digits.substr(0, 51), 0, kClockStepMs},  // 51 bytes end the read at once
      {digits.substr(0, 52), digits.substr(0, 51), 0, kClockStepMs},
      {digits, digits.substr(0, 51), 0, kClockStepMs},
      {std::string("12345") + std::string(300, '\0'), "12345", 0, kClockStepMs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent.size());
    ASSERT_TRUE(optical.Present(c.sent));
    const long long before = clock.ElapsedMs();
    EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), c.read);
    EXPECT_GE(clock.ElapsedMs() - before, c.min_ms);
    EXPECT_LE(clock.ElapsedMs() - before, c.max_ms);
    EXPECT_EQ(optical.OpenCount(), 0);
    // A pseudo-terminal keeps what a call left unread for the next open (a
    // serial port drops it): later calls take it, 51 bytes at a time.
    for (std::size_t left = c.sent.size(); left > 51; left -= 51) Qdm00800::GetOpticalReaderValue();
  }
}

TEST_F(ReadersTest, ReadingSentInPiecesWithinTheSecondIsOneReading) {
  clock.Pace(optical);
  optical.SendInPieces("7891234567895", 4, 200);  // the last piece 600 ms after the first
  const long long before = clock.ElapsedMs();
  EXPECT_EQ(Qdm00800::GetOpticalReaderValue(), "7891234567895");
  EXPECT_LE(clock.ElapsedMs() - before, kReadTimeoutMs + kClockStepMs);
}

TEST_F(ReadersTest, ReaderThatKeepsSendingHoldsTheCallerOneSecondAtMost) {
  struct Case {
    const char* what;
    std::string reading;
    int every_ms;
  } cases[] = {
      {"badge repeating its number", "12345\r", 50},
      {"a byte every 90 ms", "9", 90},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    emu::ReaderDevice reader;
    MappedPort mapped{10, reader};
    Qdm00800::IdPortaProx = 10;
    clock.Pace(reader);
    reader.KeepSending(c.reading, c.every_ms);
    for (int call = 0; call < 2; ++call) {
      const long long before = clock.ElapsedMs();
      const std::string got = Qdm00800::GetProximidadeReaderValue();
      EXPECT_LE(clock.ElapsedMs() - before, kReadTimeoutMs + kClockStepMs) << call;
      EXPECT_FALSE(got.empty()) << call;
      EXPECT_LE(got.size(), 51u) << call;
      if (call == 0) {
        EXPECT_EQ(got, Repeated(c.reading, got.size()));
      }
    }
    reader.StopSending();
    EXPECT_EQ(reader.OpenCount(), 0);
  }
}

TEST_F(ReadersTest, MissingPortOrBadIndexesReadEmptyAtOnce) {
  const long long before = clock.ElapsedMs();
  const struct { int port, speed; } cases[] = {{0, 5}, {9, 5}, {2, -1}, {2, 13}, {15, 5}};
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
    testsupport::ChildSetup setup;
    setup.in = to_child[0];
    setup.out = from_child[1];
    program_ = std::make_unique<testsupport::ChildProgram>(testsupport::ExecutableDirectory() + "/reader_emulator",
                                                           std::vector<std::string>{"--cr"}, setup);
    ::close(to_child[0]);
    ::close(from_child[1]);
    in_ = ::fdopen(to_child[1], "w");
    out_ = ::fdopen(from_child[0], "r");
  }
  ~ReaderProgram() {
    Say("quit");
    std::fclose(in_);
    std::fclose(out_);
    program_->WaitFor(std::chrono::seconds(10));  // told to quit; killed if it does not
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
  std::unique_ptr<testsupport::ChildProgram> program_;
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

TEST(ReaderEmulatorProgram, SendsInPiecesAndKeepsSendingUntilStopped) {
  FrozenClock clock;  // the register's side; the program keeps real time
  ReaderProgram reader;
  const std::string device = reader.Line();
  platform::MapPort("COM11", device);
  Qdm00800::IdPortaProx = 11;
  Qdm00800::IdVelocProx = 5;
  reader.Say("cr off");
  ASSERT_EQ(reader.Line(), "ok");
  reader.Say("pieces 2 1 0004711");  // the pieces a millisecond apart, the read's second is longer
  ASSERT_EQ(reader.Line(), "sending");
  std::string got;
  for (int call = 0; call < 50 && got.size() < 7; ++call) got += Qdm00800::GetProximidadeReaderValue();
  EXPECT_EQ(got, "0004711");
  reader.Say("repeat 20 42");
  ASSERT_EQ(reader.Line(), "sending");
  const std::string repeated = Qdm00800::GetProximidadeReaderValue();
  EXPECT_EQ(repeated.substr(0, 2), "42");
  reader.Say("stop");
  ASSERT_EQ(reader.Line(), "stopped");
  reader.Say("pieces 0 5 X");
  EXPECT_EQ(reader.Line().rfind("commands:", 0), 0u);
  platform::UnmapPort("COM11");
  Qdm00800::IdPortaProx = 0;
}

}  // namespace
