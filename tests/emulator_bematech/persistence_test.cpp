// The fiscal memory across power cycles, and the fiscal day.
#include "printer_fixture.h"

namespace mp20test {
namespace {

class PersistenceTest : public PrinterTest {
 protected:
  // Everything the driver can read back about the printer.
  std::string Readback(const std::vector<std::vector<std::string>>& questions) const {
    std::string all;
    for (const auto& q : questions) {
      EXPECT_EQ(lib.FormataTX(FrameFor(q[0], std::vector<std::string>(q.begin() + 1, q.end())).c_str()), 0);
      all += Buffer().substr(0, 200) + "\n";
    }
    return all;
  }
};

TEST_F(PersistenceTest, PowerCycleKeepsTheFiscalMemoryAndTheOpenCoupon) {
  lib.SetRates("1700T,0300S");
  lib.SetTotalizers("CONTRA-VALE EMITIDO");
  lib.SetPaymentMethods("Cart\xE3o|Visa");
  WholeCoupon();
  Ok("25", {"01", V14(250), "Dinheiro"});
  Ok("05");
  Ok("00");
  Sell("9", 2, 333);
  Ok("09", {"0000000000010", "PE\307A 100%", "02", "0001", "00000100", "0000"});
  Ok("31", {"001"});
  const std::vector<std::vector<std::string>> questions = {
      {"27"}, {"30"}, {"26"}, {"35", "25"}, {"35", "29"}, {"35", "27"}, {"35", "00"}, {"71", "dinheiro"}};
  std::string before = Readback(questions);
  int reductions = lib.ReductionCount();

  lib.PowerCycle();
  EXPECT_NE(lib.FormataTX(FrameFor("30").c_str()), 0) << "the port closes with the power";
  ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  EXPECT_EQ(Status().st1, kCouponOpenBit);
  EXPECT_EQ(Readback(questions), before);
  EXPECT_EQ(lib.ReductionCount(), reductions);
  EXPECT_EQ(lib.CouponOpen(), 1);

  // The coupon goes on where it stopped: item 2 is still there.
  Ok("31", {"002"});
  EXPECT_EQ(Send("31", {"001"}).st2, 0x04);
  Ok("14");
  EXPECT_NE(TapeText().find("VALOR CANCELADO R$"), std::string::npos);
  lib.ClearTape();
  Ok("06");
  EXPECT_NE(TapeText().find("02 Cart\xE3o|Visa"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(File("state.tmp")));
}

TEST_F(PersistenceTest, UnreadableMemoryIsReportedAndNeverOverwritten) {
  Ok("00");
  Sell("1", 1, 100);
  std::string good = ReadFile(File("state"));
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  const std::pair<const char*, std::string> cases[] = {
      {"cut short", good.substr(0, good.size() / 2)},
      {"unknown record", replaced("open_doc|", "unknown|")},
      {"item on a tax code that cannot be", replaced("|01|1000|100|0|0", "|X9|1000|100|0|0")},
      {"number that is not", replaced("counters|", "counters|x")},
      {"bad escape", replaced("PRODUTO", "PRODUTO%G")},
  };
  for (const auto& [name, text] : cases) {
    SCOPED_TRACE(name);
    { std::ofstream(File("broken"), std::ios::binary) << text; }
    lib.SetStateFile(File("broken").c_str());
    ASSERT_NE(lib.IniPortaStr("COM1"), 0);
    EXPECT_EQ(Send("00").st2, 0x20);
    EXPECT_EQ(Send("19").st2, 0x20);
    lib.PowerCycle();
    EXPECT_EQ(ReadFile(File("broken")), text);
  }
  lib.SetStateFile(File("state").c_str());
  ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  EXPECT_EQ(lib.CouponOpen(), 1);
  lib.SetStateFile(File("broken").c_str());
  lib.Reset();
  Ok("00");
  EXPECT_EQ(ReadFile(File("broken")).rfind("MP20FI-STATE|1\n", 0), 0u);
}

TEST_F(PersistenceTest, DayLeftOpenPastMidnightIsTheOldFiscalDayAndNeedsAReduction) {
  lib.SetClock(2026, 6, 12, 22, 0, 0);
  WholeCoupon();
  lib.SetClock(2026, 6, 13, 9, 0, 0);
  lib.PowerCycle();
  ASSERT_NE(lib.IniPortaStr("COM1"), 0);

  EXPECT_EQ(Ask("35", {"27"}), "120626");
  EXPECT_EQ(Ask("35", {"23"}), "130626090000");
  EXPECT_EQ(Send("00").st2, 0x01);
  EXPECT_EQ(Send("25", {"SU", V14(100)}).st2, 0x01);
  Ok("05");
  EXPECT_EQ(lib.ReductionCount(), 1);
  std::string tape = TapeText();
  EXPECT_NE(tape.find("REDU\xC7\xC3O Z"), std::string::npos);
  EXPECT_NE(tape.find("12/06/2026"), std::string::npos);
  EXPECT_EQ(Ask("35", {"27"}), "");
  Ok("00");
  EXPECT_EQ(Ask("35", {"27"}), "130626");
}

TEST_F(PersistenceTest, ReductionFallsDueAtTwoInTheMorningOfTheNextDay) {
  struct Case {
    int day, hour, minute;
    bool due;
  } cases[] = {
      {12, 23, 59, false},
      {13, 1, 59, false},
      {13, 2, 0, true},
      {14, 0, 30, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.day << " " << c.hour << ":" << c.minute);
    lib.SetClock(2026, 6, c.day, c.hour, c.minute, 0);
    Reply r = Send("00");
    EXPECT_EQ(r.st2 == 0x01, c.due) << r;
    if (!c.due) Ok("14");
  }
}

TEST_F(PersistenceTest, ClockBehindTheFiscalDayIsAClockError) {
  lib.SetClock(2026, 6, 11, 10, 0, 0);
  EXPECT_EQ(Send("00").st1, 0x20);
}

}  // namespace
}  // namespace mp20test
