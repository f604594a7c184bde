// The line a serial device is set to: the display, the serial check printer
// and the readers change the speed, the data bits, the parity and the stop
// bits, and keep the rest of the line as the port had it (flow control
// above all). A pseudo-terminal is always 8 bits without parity, so of the
// settings changed only the speed and the stop bits can be seen here.
#include <gtest/gtest.h>

#include <functional>

#include "facade/Qdm00000.h"
#include "peripherals/check_printer/Qdm00700.h"
#include "peripherals/device_fixture.h"
#include "peripherals/display/Qdm00600.h"
#include "peripherals/readers/Qdm00800.h"

namespace {

using namespace peripheral_test;

TEST(SerialLine, EachDeviceSetsSpeedAndStopBitsAndKeepsTheFlowControl) {
  FrozenClock clock;  // the readers' one-second read
  struct Case {
    const char* what;
    std::function<void()> call;
    unsigned baud;
  } cases[] = {
      {"display", [] { Qdm00600::DisplayChar("OLA"); }, 9600},
      {"serial check printer", [] { Qdm00700::ImpChqChar("CHEQUE"); }, 19200},
      {"optical reader", [] { Qdm00800::GetOpticalReaderValue(); }, 4800},
      {"badge reader", [] { Qdm00800::GetProximidadeReaderValue(); }, 2400},
  };
  Qdm00000::DataModule().IdPortaDisp = 4;
  Qdm00000::DataModule().IdPortaChq = 4;
  Qdm00000::DataModule().IdVelocChq = 6;  // "19200"
  Qdm00800::IdPortaOpt = Qdm00800::IdPortaProx = 4;
  Qdm00800::IdVelocOpt = 4;   // "4800"
  Qdm00800::IdVelocProx = 3;  // "2400"
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    emu::PtyDevice device;
    MappedPort port{4, device};
    // As the shop's set-up left the port: hardware and software flow
    // control, two stop bits, another speed.
    termios line = device.LineSettings();
    line.c_cflag |= CRTSCTS | CSTOPB;
    line.c_iflag |= IXON | IXOFF | IXANY;
    device.SetLineSettings(line);
    device.SetBaud(1200);
    c.call();
    line = device.LineSettings();
    EXPECT_EQ(device.Baud(), c.baud);
    EXPECT_FALSE(line.c_cflag & CSTOPB);
    EXPECT_TRUE(line.c_cflag & CRTSCTS);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), static_cast<tcflag_t>(IXON | IXOFF | IXANY));
    EXPECT_EQ(device.OpenCount(), 0);
  }
  Qdm00000::DataModule().IdPortaDisp = Qdm00000::DataModule().IdPortaChq = 0;
  Qdm00800::IdPortaOpt = Qdm00800::IdPortaProx = 0;
}

}  // namespace
