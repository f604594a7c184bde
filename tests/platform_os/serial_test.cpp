// Serial ports over a real pseudo-terminal: the test holds the master side
// (the device), the library opens the slave side as "COM3".
#include "platform/os/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/os/line_settings.h"
#include "platform_os/os_fixtures.h"

namespace {

using namespace platform;
using ostest::ManualClock;
using ostest::ScopedEnv;

class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pty");
    slave_path_ = ptsname(master_);
    // Watches the slave's input without taking it.
    observer_ = ::open(slave_path_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    // The line as a device's port is usually left: raw, 9600 8N1, no flow
    // control (a new terminal would stop its output at a 0x13 from the device).
    Change([](termios& line) {
      cfmakeraw(&line);
      cfsetspeed(&line, B9600);
    });
  }
  ~PseudoTerminal() {
    ::close(observer_);
    CloseMaster();
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& slave_path() const { return slave_path_; }
  int observer() const { return observer_; }
  // The line as another program (or the shop's set-up) leaves it.
  template <typename Edit>
  void Change(Edit edit) {
    termios line;
    ASSERT_EQ(tcgetattr(observer_, &line), 0);
    edit(line);
    ASSERT_EQ(tcsetattr(observer_, TCSANOW, &line), 0);
  }
  termios Line() const {
    termios line{};
    tcgetattr(observer_, &line);
    return line;
  }

  // The device sends; returns once the bytes wait on the port's side.
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    for (int slice = 0; slice < 2000 && Pending() < bytes.size(); ++slice) ::poll(nullptr, 0, 1);
  }
  // What the device received, waiting up to a second for `count` bytes.
  std::string Receive(size_t count) {
    std::string bytes;
    for (int slice = 0; slice < 1000 && bytes.size() < count; ++slice) {
      pollfd watch{master_, POLLIN, 0};
      if (::poll(&watch, 1, 1) <= 0) continue;
      char buffer[256];
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
  }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  size_t Pending() const {
    int count = 0;
    return ::ioctl(observer_, FIONREAD, &count) == 0 ? static_cast<size_t>(count) : 0;
  }
  int master_ = -1, observer_ = -1;
  std::string slave_path_;
};

HANDLE OpenPort(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
}

TEST(PortNames, MappingThenEnvironmentThenSerialDevice) {
  ScopedEnv env("PKG_QDM_COM5", "/dev/ttyUSB0");
  MapPort("com7:", "/dev/pts/9");
  struct Case {
    const char* name;
    const char* device;
  } cases[] = {
      {"COM7", "/dev/pts/9"},    {"\\\\.\\COM7", "/dev/pts/9"}, {"COM5:", "/dev/ttyUSB0"},    {"COM1", "/dev/ttyS0"},
      {"com12:", "/dev/ttyS11"}, {"LPT1", "/dev/lp0"},          {"/dev/pts/3", "/dev/pts/3"}, {"COM0", "COM0"},
      {"COMX", "COMX"},
  };
  for (const Case& c : cases) EXPECT_EQ(PortDevicePath(c.name), c.device) << c.name;
  UnmapPort("COM7");
  EXPECT_EQ(PortDevicePath("COM7:"), "/dev/ttyS6");
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MapPort("COM3", pty.slave_path());
    port = OpenPort("COM3:");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
  }
  void TearDown() override {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    UnmapPort("COM3");
  }
  BOOL Timeouts(DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = interval;
    t.ReadTotalTimeoutMultiplier = multiplier;
    t.ReadTotalTimeoutConstant = constant;
    t.WriteTotalTimeoutConstant = constant;
    return SetCommTimeouts(port, &t);
  }
  std::string Read(DWORD count, BOOL expected = true) {
    std::vector<char> buffer(count);
    DWORD got = 12345;
    EXPECT_EQ(ReadFile(port, buffer.data(), count, &got, nullptr), expected);
    return std::string(buffer.data(), std::min(got, count));
  }

  PseudoTerminal pty;
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(SerialPortTest, RawBytesBothWaysAndSpeedSeenOnTheLine) {
  DCB dcb;
  dcb.BaudRate = 0;
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  dcb.BaudRate = 19200;
  ASSERT_TRUE(SetupComm(port, 256, 256));
  ASSERT_TRUE(SetCommState(port, &dcb));
  ASSERT_TRUE(Timeouts(0, 0, 1000));

  termios line;
  ASSERT_EQ(tcgetattr(pty.observer(), &line), 0);
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
  DCB back;
  ASSERT_TRUE(GetCommState(port, &back));
  EXPECT_EQ(back.BaudRate, 19200u);

  // Line ends, interrupt and flow-control bytes pass untouched both ways.
  const std::string frame("\x1B|09|0001|\r\n\x03\x11\x13\xE7\xFF\0|\x1B", 21);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr));
  EXPECT_EQ(written, frame.size());
  EXPECT_EQ(pty.Receive(frame.size()), frame);
  pty.Send(frame);
  EXPECT_EQ(Read(static_cast<DWORD>(frame.size())), frame);
}

DCB Line(DWORD baud, uint8_t size, uint8_t parity, uint8_t stop) {
  DCB dcb;
  dcb.BaudRate = baud;
  dcb.ByteSize = size;
  dcb.Parity = parity;
  dcb.StopBits = stop;
  return dcb;
}

void ExpectSameLine(const DCB& got, const DCB& wanted, const std::string& what) {
  EXPECT_EQ(got.BaudRate, wanted.BaudRate) << what;
  EXPECT_EQ(got.ByteSize, wanted.ByteSize) << what;
  EXPECT_EQ(got.Parity, wanted.Parity) << what;
  EXPECT_EQ(got.StopBits, wanted.StopBits) << what;
  EXPECT_EQ(got.fRtsControl, wanted.fRtsControl) << what;
  EXPECT_EQ(got.fOutX, wanted.fOutX) << what;
}

// The line settings themselves: a pseudo-terminal keeps only some of them.
TEST(LineSettings, DcbAndTermiosAgree) {
  DCB hardware = Line(4800, 8, NOPARITY, ONESTOPBIT);
  hardware.fRtsControl = hardware.fOutxCtsFlow = true;
  DCB software = Line(2400, 7, EVENPARITY, ONESTOPBIT);
  software.fOutX = software.fInX = true;
  struct Case {
    DCB dcb;
    bool taken;
  } cases[] = {
      {Line(110, 7, EVENPARITY, TWOSTOPBITS), true},
      {Line(921600, 8, ODDPARITY, ONESTOPBIT), true},
      {Line(300, 5, NOPARITY, ONESTOPBIT), true},
      {hardware, true},
      {software, true},
      {Line(14400, 8, NOPARITY, ONESTOPBIT), false},
      {Line(9600, 9, NOPARITY, ONESTOPBIT), false},
      {Line(9600, 8, 4, ONESTOPBIT), false},
      {Line(9600, 8, NOPARITY, 1), false},
  };
  for (const Case& c : cases) {
    termios settings{};
    os::MakeRawLine(settings);
    const std::string what = std::to_string(c.dcb.BaudRate) + " " + std::to_string(c.dcb.ByteSize);
    EXPECT_EQ(os::ApplyDcb(c.dcb, settings), c.taken) << what;
    if (c.taken) ExpectSameLine(os::DcbOf(settings), c.dcb, what);
  }
}

TEST_F(SerialPortTest, LineSettingsTakenOrRefusedWhole) {
  const DCB cases[] = {Line(110, 8, NOPARITY, TWOSTOPBITS), Line(921600, 8, NOPARITY, ONESTOPBIT),
                       Line(14400, 8, NOPARITY, ONESTOPBIT), Line(9600, 8, NOPARITY, 1)};
  for (const DCB& wanted : cases) {
    DCB before, after;
    ASSERT_TRUE(GetCommState(port, &before));
    const bool taken = wanted.BaudRate != 14400 && wanted.StopBits != 1;
    EXPECT_EQ(SetCommState(port, &wanted), taken) << wanted.BaudRate;
    ASSERT_TRUE(GetCommState(port, &after));
    ExpectSameLine(after, taken ? wanted : before, std::to_string(wanted.BaudRate));
  }
}

// A pseudo-terminal shows the speed, the stop bits and the flow control of a
// line; it is always 8 bits without parity.
TEST(SerialPortOpen, OpeningMakesTheLineRawAndKeepsItsSettings) {
  PseudoTerminal pty;
  pty.Change([](termios& line) {  // a terminal's cooked line, left with flow control
    line.c_iflag |= ICRNL | INLCR | ISTRIP | BRKINT | IXON | IXOFF | IXANY;
    line.c_oflag |= OPOST | ONLCR;
    line.c_lflag |= ICANON | ECHO | ECHONL | ISIG | IEXTEN;
    line.c_cflag |= CRTSCTS | CSTOPB;
    cfsetspeed(&line, B19200);
  });
  MapPort("COM4", pty.slave_path());
  const HANDLE port = OpenPort("COM4:");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);

  termios line = pty.Line();
  EXPECT_FALSE(line.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN));
  EXPECT_FALSE(line.c_oflag & OPOST);
  EXPECT_FALSE(line.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK));
  EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  DCB dcb;
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
  EXPECT_TRUE(dcb.fRtsControl && dcb.fOutxCtsFlow && dcb.fOutX && dcb.fInX);

  // Changed: speed and stop bits. Kept: the flow control, in the DCB or not.
  dcb.BaudRate = 4800;
  dcb.StopBits = ONESTOPBIT;
  ASSERT_TRUE(SetCommState(port, &dcb));
  line = pty.Line();
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B4800));
  EXPECT_FALSE(line.c_cflag & CSTOPB);
  EXPECT_TRUE(line.c_cflag & CRTSCTS);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), static_cast<tcflag_t>(IXON | IXOFF | IXANY));

  // Bytes pass unchanged both ways.
  const std::string text = "a\r\nb\x7F\xE7";
  DWORD count = 0;
  ASSERT_TRUE(WriteFile(port, text.data(), static_cast<DWORD>(text.size()), &count, nullptr));
  EXPECT_EQ(pty.Receive(text.size()), text);
  pty.Send(text);
  COMMTIMEOUTS at_once;
  at_once.ReadIntervalTimeout = MAXDWORD;
  ASSERT_TRUE(SetCommTimeouts(port, &at_once));
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(port, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), text);
  EXPECT_TRUE(CloseHandle(port));
  UnmapPort("COM4");
}

TEST_F(SerialPortTest, ReadWaitsAsTheTimeoutsSayOnTheLibraryClock) {
  struct Case {
    const char* what;
    DWORD interval, multiplier, constant;
    std::string sent;
    DWORD count;
    std::string read;
    long long min_ms, max_ms;  // library-clock time the read took
  } cases[] = {
      {"at once with what is there", MAXDWORD, 0, 0, "abc", 10, "abc", 0, 0},
      {"at once with nothing there", MAXDWORD, 0, 0, "", 10, "", 0, 0},
      {"total time-out with fewer bytes", 0, 0, 1000, "abc", 10, "abc", 1000, 1010},
      {"all asked for ends the wait", 0, 0, 1000, "abcdefgh", 4, "abcd", 0, 0},
      {"multiplier per byte asked", 0, 100, 0, "", 5, "", 500, 510},
      {"silence between bytes ends the read", 50, 0, 1000, "ab", 10, "ab", 50, 60},
      {"first bytes only", MAXDWORD, MAXDWORD, 300, "", 10, "", 300, 310},
      {"no time-outs set still ends", 0, 0, 0, "", 10, "", 5000, 5010},
  };
  for (const Case& c : cases) {
    ManualClock clock;
    ASSERT_TRUE(Timeouts(c.interval, c.multiplier, c.constant));
    if (!c.sent.empty()) pty.Send(c.sent);
    const long long before = clock.Elapsed();
    EXPECT_EQ(Read(c.count), c.read) << c.what;
    const long long took = clock.Elapsed() - before;
    EXPECT_GE(took, c.min_ms) << c.what;
    EXPECT_LE(took, c.max_ms) << c.what;
    Read(0);  // nothing asked, nothing waited for
    Timeouts(MAXDWORD, 0, 0);
    Read(64);  // drops what a case left
  }
}

TEST_F(SerialPortTest, WriteThatCannotFinishInTimeFails) {
  ManualClock clock;
  ASSERT_TRUE(Timeouts(0, 0, 100));
  // Nobody reads the device side: the line's buffer fills up.
  const std::string bulk(1 << 20, 'x');
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(port, bulk.data(), static_cast<DWORD>(bulk.size()), &written, nullptr));
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, bulk.size());
}

TEST_F(SerialPortTest, DeviceGoneFailsTheReadAtOnce) {
  ManualClock clock;
  ASSERT_TRUE(Timeouts(0, 0, 1000));
  pty.CloseMaster();
  Read(10, false);
  EXPECT_LT(clock.Elapsed(), 1000);
}

TEST_F(SerialPortTest, PortIsNotSharedUntilClosed) {
  EXPECT_EQ(OpenPort("COM3"), INVALID_HANDLE_VALUE);
  ASSERT_TRUE(CloseHandle(port));
  EXPECT_FALSE(CloseHandle(port));
  DCB dcb;
  char byte = 0;
  DWORD count = 0;
  EXPECT_FALSE(GetCommState(port, &dcb));
  EXPECT_FALSE(SetCommState(port, &dcb));
  EXPECT_FALSE(ReadFile(port, &byte, 1, &count, nullptr));
  EXPECT_FALSE(WriteFile(port, &byte, 1, &count, nullptr));
  EXPECT_FALSE(SetupComm(port, 256, 256));
  port = OpenPort("COM3");
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
}

TEST(SerialPortOpen, MissingDeviceOrNameGivesInvalidHandle) {
  MapPort("COM9", "/nonexistent/ttyQDM");
  EXPECT_EQ(OpenPort("COM9:"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenPort(nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenPort(""), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenPort("/tmp"), INVALID_HANDLE_VALUE);
  UnmapPort("COM9");
}

}  // namespace
