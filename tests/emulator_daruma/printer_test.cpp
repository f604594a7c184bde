// The emulated Daruma printer through the maker's entry points: each
// model's bytes and answer layouts, refusals that change nothing, the
// fiscal memory across a power cycle, and the bench's faults.
#include <gmock/gmock.h>

#include <fstream>

#include "emulator_daruma/powered_printer.h"

namespace daruma_emulator_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

using testsupport::Byte;
const std::string kEsc = Byte(0x1B);

class PrinterTest : public PoweredPrinterTest {
 protected:
  // One frame and its answer.
  std::string Send(const std::string& frame) {
    EXPECT_EQ(Envia(frame.data(), static_cast<int>(frame.size()), 49), static_cast<int>(frame.size()));
    return Answer();
  }
  std::string Answer() {
    char buffer[1000];
    Resposta(buffer, 999);
    return buffer;
  }
  std::string Command(unsigned char byte, const std::string& params = "") { return Send(kEsc + Byte(byte) + params); }
  std::string Status() { return Send(Byte(0x1D) + Byte(type8() ? 0x05 : 0xFF)); }
  bool type8() const { return GetParam() == 8; }

  std::string Sale(const std::string& tax, const std::string& price, const std::string& qty = "00001  ") {
    return Command(0xD7, tax + "0000000000123" + "00000000" + price + qty + std::string(30, 'X'));
  }
  // Closes the open coupon paying `cents` in the model's way.
  std::string CloseCoupon(long long cents) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%012lld", cents);
    if (type8())
      return Command(0xC9, "0000" + std::to_string(cents / 100) + "," + std::to_string(cents % 100 / 10) +
                               std::to_string(cents % 10) + Byte(0xFF));
    EXPECT_EQ(Command(0xF1, "1000000000000").substr(0, 2), ":0");
    EXPECT_EQ(Command(0xF2, "P" + std::string(digits) + Byte(0xFF)).substr(0, 2), ":0");
    return Command(0xF3, Byte(0xFF));
  }
};

TEST_P(PrinterTest, PortOpensOnlyWithTheLineSettings) {
  Close();
  EXPECT_EQ(Open("COM1"), 0);
  EXPECT_EQ(Open(":9600,N,8,1"), 0);
  EXPECT_EQ(Open("COM2:9600,N,8,1"), 1);
  EXPECT_EQ(Close(), 1);
  EXPECT_EQ(Close(), 0);
  printer.SetPortAvailable(0);
  EXPECT_EQ(Open("COM2:9600,N,8,1"), 0);
  // Nothing goes through a closed port.
  EXPECT_EQ(Envia("\x1B\xC8", 2, 49), -1);
  EXPECT_EQ(Erro(), 1);
}

TEST_P(PrinterTest, CouponCycleOfTheModel) {
  EXPECT_EQ(Command(0xC8), ":0000001");
  EXPECT_EQ(Sale("A", "000001000"), ":0001");
  EXPECT_EQ(Sale("s", "000000550", "002,50 "), ":0002");
  EXPECT_EQ(printer.OpenDocument(), 1);
  EXPECT_EQ(CloseCoupon(2500), ":0000001");
  EXPECT_EQ(printer.OpenDocument(), 0);
  EXPECT_EQ(printer.GrandTotalCents(), 1000 + 1375);
  EXPECT_THAT(printer.TapeText(), HasSubstr("2,50 x 5,50 s 13,75"));
  // The model's own bytes only: the other model's closing is unknown here.
  EXPECT_EQ(Command(0xC8), ":0000002");
  EXPECT_EQ(Sale("A", "000001000"), ":0001");
  EXPECT_EQ(Command(type8() ? 0xF3 : 0xC9, Byte(0xFF)), ":E01");
}

// The totals reading's day sales (positions 21 to 34, after ":0" and the
// grand total) move with a coupon's closing only, and back with the
// cancellation of the coupon closed last.
TEST_P(PrinterTest, TheDaysSalesMoveOnlyWithAClosedCoupon) {
  const auto day_sales = [this] {
    const std::string totals = Command(0xF0);
    EXPECT_EQ(totals.substr(0, 2), ":0");
    return totals.substr(20, 14);
  };
  const std::string none(14, '0');
  ASSERT_EQ(Command(0xC8), ":0000001");
  ASSERT_EQ(Sale("A", "000001000"), ":0001");
  EXPECT_EQ(day_sales(), none);
  ASSERT_EQ(Command(0xCE), ":0000001");
  EXPECT_EQ(day_sales(), none);
  ASSERT_EQ(Command(0xC8), ":0000002");
  ASSERT_EQ(Sale("A", "000001000"), ":0001");
  ASSERT_EQ(CloseCoupon(1000), ":0000002");
  EXPECT_EQ(day_sales(), "00000000001000");
  ASSERT_EQ(Command(0xCE), ":0000002");
  EXPECT_EQ(day_sales(), none);
}

TEST_P(PrinterTest, RefusedCommandChangesNothing) {
  const std::string tape_before = printer.TapeText();
  EXPECT_EQ(Sale("A", "000001000"), ":E10");  // no coupon
  EXPECT_EQ(Command(0xCE), ":E13");           // nothing to cancel
  EXPECT_EQ(Command(0x77), ":E01");           // no such command
  ASSERT_EQ(Command(0xC8), ":0000001");
  EXPECT_EQ(Command(0xC8), ":E10");           // already open
  EXPECT_EQ(Sale("Z", "000001000"), ":E12");  // no such rate
  EXPECT_EQ(Sale("A", "00000100X"), ":E02");  // not digits
  EXPECT_EQ(Command(0xD7, "A123"), ":E02");   // short
  EXPECT_EQ(Command(0xCD, "1"), ":E13");      // no item 1
  printer.SetPaper(2);
  EXPECT_EQ(Sale("A", "000001000"), ":E20");
  printer.SetPaper(0);
  EXPECT_EQ(Sale("A", "000001000"), ":0001");
  EXPECT_EQ(CloseCoupon(500), type8() ? ":E10" : ":E10");  // paid short
  EXPECT_EQ(printer.OpenDocument(), 1);
}

TEST_P(PrinterTest, FiscalMemorySurvivesAPowerCycleAndAnUnreadableOneIsNeverOverwritten) {
  ASSERT_EQ(Command(0xC8), ":0000001");
  ASSERT_EQ(Sale("A", "000001000"), ":0001");
  printer.PowerCycle();
  EXPECT_EQ(Open("COM1:9600,N,8,1"), 1);
  EXPECT_EQ(printer.OpenDocument(), 1);
  EXPECT_EQ(printer.Model(), GetParam());
  EXPECT_EQ(CloseCoupon(1000), ":0000001");

  { std::ofstream(dir.file("fs345.state")) << "garbage"; }
  printer.PowerCycle();
  Open("COM1:9600,N,8,1");
  EXPECT_EQ(Command(0xC8), ":E30");
  EXPECT_THAT(Status(), StartsWith(":"));
  std::ifstream in(dir.file("fs345.state"));
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "garbage");
}

TEST_P(PrinterTest, StatusAndDocumentAnswers) {
  // Type 7: the fifth character is the document; type 8: a hex byte at 2.
  printer.SetDrawerOpen(1);
  EXPECT_EQ(Status(), type8() ? ":0000" : ":80000000");
  printer.SetDrawerOpen(0);
  ASSERT_EQ(Command(0xC8), ":0000001");
  EXPECT_EQ(Status(), type8() ? ":8000" : ":00040000");
  EXPECT_EQ(Send(Byte(0x05)), "D");  // 0x40 | 0x04, the byte alone
  ASSERT_EQ(Command(0xCE), ":0000001");
  ASSERT_EQ(Command(0xD3, " "), ":0000002");
  EXPECT_EQ(Send(Byte(0x05)), "H");  // 0x40 | 0x08
  EXPECT_EQ(Command(0xD4), ":0000002");
}

TEST_P(PrinterTest, TablesAtEachModelsPlaces) {
  printer.SetSignedTotalizers("+Suprimento\n-Sangria");
  printer.SetNamedTotalizers("Tef");
  printer.SetPaymentMethods("NDinheiro\nVCheque");
  const std::string answer = Command(0xEE);
  const auto at = [&answer](int pos, int len) { return answer.substr(static_cast<std::size_t>(pos - 1), len); };
  if (type8()) {
    EXPECT_EQ(at(36, 22), "Suprimento           +");
    EXPECT_EQ(at(58, 22), "Sangria              -");
    EXPECT_EQ(at(80, 22), "Tef                  V");
    EXPECT_EQ(answer.size(), 607u);
  } else {
    EXPECT_EQ(at(22, 22), "+Suprimento           ");
    EXPECT_EQ(at(44, 22), "-Sangria              ");
    EXPECT_EQ(at(374, 21), "Tef                  ");
    EXPECT_EQ(at(710, 17), "NDinheiro        ");
    EXPECT_EQ(at(727, 17), "VCheque          ");
    EXPECT_EQ(answer.size(), 996u);
  }
  printer.SetRates("T1800,s0500");
  EXPECT_EQ(Command(0xE7).substr(0, 15), ":0T1800s0500C//");
  // Programming: a name is held once, a letter keeps its name.
  EXPECT_EQ(Command(0xE2, "+" + std::string("Recarga") + std::string(14, ' ')), ":0C");
  EXPECT_EQ(Command(0xE2, "+" + std::string("RECARGA") + std::string(14, ' ')), ":E14");
  EXPECT_EQ(Command(0xDA, "PGVCCartao" + std::string(10, ' ')), ":0C");
  EXPECT_EQ(Command(0xDA, "PGVAOutro" + std::string(11, ' ')), ":E14");
  EXPECT_EQ(Command(0xDA, "PGVECartao" + std::string(10, ' ')), ":E02");
  EXPECT_EQ(printer.Table(2), "NDinheiro\nVCheque\nVCartao");
}

TEST_P(PrinterTest, BenchFaults) {
  ASSERT_EQ(Command(0xE6), ":0101226140000");
  // An answer still arriving changes from read to read, then settles.
  printer.HoldBusy(3);
  Envia("\x1B\xE6", 2, 49);
  EXPECT_EQ(Answer(), ":");
  EXPECT_EQ(Answer(), ":0");
  EXPECT_EQ(Answer(), ":01");
  EXPECT_EQ(Answer(), ":0101226140000");
  // A refused frame: -1, the library's error, nothing done.
  printer.RefuseTransmission(1);
  EXPECT_EQ(Envia("\x1B\xC8", 2, 49), -1);
  EXPECT_EQ(Erro(), 1);
  EXPECT_EQ(printer.OpenDocument(), 0);
  // A warning still does the command; an error does not.
  printer.AnswerError(40, 1);
  EXPECT_THAT(Command(0xC8), StartsWith(":E40"));
  EXPECT_EQ(printer.OpenDocument(), 1);
  printer.AnswerError(10, 1);
  EXPECT_EQ(Command(0xCE), ":E10");
  EXPECT_EQ(printer.OpenDocument(), 1);
  EXPECT_EQ(printer.FrameCount(), 5);
}

TEST_P(PrinterTest, ReductionClosesTheDayAndADueOneStopsSales) {
  ASSERT_EQ(Command(0xC8), ":0000001");
  ASSERT_EQ(Sale("A", "000001000"), ":0001");
  ASSERT_EQ(CloseCoupon(1000), ":0000001");
  EXPECT_EQ(Command(0xD0, "101226000000"), ":0000002");
  EXPECT_EQ(printer.ReductionCount(), 1);
  EXPECT_EQ(printer.DayCents(0), 0);
  EXPECT_EQ(printer.GrandTotalCents(), 1000);
  printer.SetFiscalDay(2026, 12, 8);
  EXPECT_EQ(Command(0xC8), ":E11");
  EXPECT_EQ(Status().substr(0, type8() ? 5 : 4), type8() ? ":8001" : ":001");
}

INSTANTIATE_TEST_SUITE_P(Daruma, PrinterTest, ::testing::Values(7, 8));

}  // namespace
}  // namespace daruma_emulator_test
