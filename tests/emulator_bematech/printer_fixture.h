// Drives the emulated printer the way the driver does: "Mp20fi32.dll"
// loaded from the test executable's directory, entry points bound by name
// (tests/support).
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/emulated_printer.h"
#include "support/temp_dir.h"

namespace mp20test {

inline constexpr int kCouponOpenBit = 0x02;

// One printer for the test program, bound as the driver binds it.
inline const testsupport::EmulatedPrinter& SharedPrinter() {
  static const testsupport::EmulatedPrinter printer;
  return printer;
}

struct Reply {
  int sent = 0;  // FormataTX
  int ret = 0, ack = 0, st1 = 0, st2 = 0;
  bool Clean() const { return sent == 0 && ret != 1 && ack == 6 && (st1 & ~0x42) == 0 && st2 == 0; }
};

inline std::ostream& operator<<(std::ostream& out, const Reply& r) {
  return out << "{sent " << r.sent << " ret " << r.ret << " ack " << r.ack << " st1 " << r.st1 << " st2 " << r.st2
             << "}";
}

inline std::string FrameFor(const std::string& code, const std::vector<std::string>& fields = {}) {
  return testsupport::EmulatedPrinter::FrameFor(code, fields);
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A printer fresh from the factory, its memory, tape and report file in a
// temporary directory, its clock frozen at 12/06/2026 10:00, port open.
class PrinterTest : public ::testing::Test {
 protected:
  const testsupport::EmulatedPrinter& lib = SharedPrinter();
  testsupport::TempDir temp{"mp20emu"};
  std::string dir = temp.path();

  void SetUp() override {
    lib.SetStateFile(File("state").c_str());
    lib.SetTapeFile(File("tape.txt").c_str());
    lib.SetReportFile(File("mp20fi.ret").c_str());
    lib.SetClock(2026, 6, 12, 10, 0, 0);
    lib.Reset();
    lib.SetFiscalDay(2026, 6, 12);
    ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  }
  void TearDown() override {
    lib.FechaPorta();
    lib.SetStateFile("");
    lib.SetTapeFile("");
    lib.SetReportFile("");
  }

  std::string File(const std::string& name) const { return dir + "/" + name; }

  Reply Status() const {
    Reply r;
    lib.Status_Mp20FI(&r.ret, &r.ack, &r.st1, &r.st2);
    return r;
  }
  Reply SendFrame(const std::string& frame) const {
    int sent = lib.FormataTX(frame.c_str());
    Reply r = Status();
    r.sent = sent;
    return r;
  }
  Reply Send(const std::string& code, const std::vector<std::string>& fields = {}) const {
    return SendFrame(FrameFor(code, fields));
  }
  // Sends and expects the printer to take the command.
  void Ok(const std::string& code, const std::vector<std::string>& fields = {}) const {
    Reply r = Send(code, fields);
    ASSERT_TRUE(r.Clean()) << code << " " << r;
  }
  // The 3000-byte answer buffer, pre-filled with spaces as the driver does.
  std::string Buffer() const {
    std::string buffer(3000, ' ');
    lib.Le_Variaveis(buffer.data());
    return buffer;
  }
  std::string Answer() const {
    std::string b = Buffer();
    std::size_t end = b.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : b.substr(0, end + 1);
  }
  std::string Ask(const std::string& code, const std::vector<std::string>& fields = {}) const {
    Reply r = Send(code, fields);
    EXPECT_TRUE(r.Clean()) << code << " " << r;
    return Answer();
  }
  std::string TapeText() const { return lib.TapeText(); }
  std::vector<std::string> Frames() const { return lib.Frames(); }

  // An item of `units` whole units at `cents` each, tax "01".
  void Sell(const std::string& code, int units, long cents) const {
    char quantity[8], price[16];
    std::snprintf(quantity, sizeof quantity, "%04d", units);
    std::snprintf(price, sizeof price, "%08ld", cents);
    Ok("09", {std::string(13 - code.size(), '0') + code, "PRODUTO " + code, "01", quantity, price, "0000"});
  }
  static std::string V14(long long cents) {
    char text[24];
    std::snprintf(text, sizeof text, "%014lld", cents);
    return text;
  }
  // Open, one item of 10,00, paid in cash, closed.
  void WholeCoupon() const {
    Ok("00");
    Sell("1", 1, 1000);
    Ok("32", {"D", "0000"});
    Ok("72", {"01", V14(1000)});
    Ok("34", {" "});
  }
};

}  // namespace mp20test
