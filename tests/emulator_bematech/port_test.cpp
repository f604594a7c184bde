// The emulated printer's port is one process's at a time, as a real serial
// port is: a second process cannot open it until the first closes it or
// ends.
#include "printer_fixture.h"
#include "support/other_process.h"

namespace mp20test {
namespace {

class PortTest : public PrinterTest {
 protected:
  enum Step : unsigned char { kOpen, kClose, kOpenOther };
  // Another process on the same machine with the same library.
  testsupport::OtherProcess OtherRegister() const {
    const auto& printer = lib;
    return testsupport::OtherProcess({
        [&printer] { return printer.IniPortaStr("COM1"); },
        [&printer] { return printer.FechaPorta(); },
        [&printer] { return printer.IniPortaStr("COM2"); },
    });
  }
};

TEST_F(PortTest, AnotherProcessCannotOpenThePortUntilThisOneClosesIt) {
  auto other = OtherRegister();
  EXPECT_EQ(other.Run(kOpen), 0) << "held by this process";
  EXPECT_NE(other.Run(kOpenOther), 0) << "another port is free";

  ASSERT_EQ(lib.FechaPorta(), 0);
  EXPECT_EQ(lib.PortOpen(), 0);
  EXPECT_NE(other.Run(kOpen), 0);
  for (const char* same : {"COM1", "com1", "COM1:", "\\\\.\\COM1"}) EXPECT_EQ(lib.IniPortaStr(same), 0) << same;
  EXPECT_EQ(lib.PortOpen(), 0);
  Reply r = Send("30");
  EXPECT_NE(r.sent, 0) << "nothing goes out on a port that did not open";

  EXPECT_EQ(other.Run(kClose), 0);
  EXPECT_NE(lib.IniPortaStr("COM1"), 0);
  Ok("30");
}

TEST_F(PortTest, APortIsFreedWhenItsProcessDiesAndByAPowerCycle) {
  ASSERT_EQ(lib.FechaPorta(), 0);
  auto other = OtherRegister();
  ASSERT_NE(other.Run(kOpen), 0);
  EXPECT_EQ(lib.IniPortaStr("COM1"), 0);
  other.Kill();
  EXPECT_NE(lib.IniPortaStr("COM1"), 0) << "the lock went with the process";

  auto next = OtherRegister();
  EXPECT_EQ(next.Run(kOpen), 0);
  lib.PowerCycle();
  EXPECT_NE(next.Run(kOpen), 0) << "a power cycle closes the port and lets it go";
}

}  // namespace
}  // namespace mp20test
