// Faults the bench injects, and the records it keeps of the traffic.
#include "printer_fixture.h"

namespace mp20test {
namespace {

using FaultsTest = PrinterTest;

TEST_F(FaultsTest, ForcedFailureRefusesThatManyCommandsThenClears) {
  lib.ForceStatus(0x80, 0x01, 2);
  for (int i = 0; i < 2; ++i) {
    Reply r = Send("00");
    EXPECT_EQ(r.st1, 0x80);
    EXPECT_EQ(r.st2, 0x01);
    EXPECT_EQ(lib.CouponOpen(), 0) << "a refused command is not carried out";
  }
  Ok("00");
  EXPECT_EQ(lib.CouponOpen(), 1);
}

TEST_F(FaultsTest, ForcedWarningBitsLetTheCommandRun) {
  lib.ForceStatus(0x40, 0, 1);
  Reply r = Send("00");
  EXPECT_EQ(r.st1, 0x40 | kCouponOpenBit);
  EXPECT_EQ(r.st2, 0);
  EXPECT_EQ(lib.CouponOpen(), 1);
}

TEST_F(FaultsTest, HeldFaultsStayUntilClearedWithZero) {
  struct Case {
    const char* name;
    void (*inject)(int);
    bool (*seen)(const Reply&);
  } cases[] = {
      {"NAK", lib.InjectNak, [](const Reply& r) { return r.ack == 21; }},
      {"return code 1", lib.InjectReturnCode1, [](const Reply& r) { return r.ret == 1; }},
      {"refused transmission", lib.RefuseTransmission, [](const Reply& r) { return r.sent != 0; }},
      {"forced status", [](int n) { SharedPrinter().ForceStatus(0, 0x20, n); },
       [](const Reply& r) { return r.st2 == 0x20; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.inject(1);
    EXPECT_TRUE(c.seen(Send("00")));
    EXPECT_FALSE(c.seen(Send("30")));
    c.inject(-1);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(c.seen(Send("00")));
    EXPECT_EQ(lib.CouponOpen(), 0);
    c.inject(0);
    Ok("30");
  }
  EXPECT_EQ(Frames().size(), 4u * 6u) << "refused transmissions are recorded too";
}

TEST_F(FaultsTest, BusyPrinterShowsBit6ForTheHeldPollsAndKeepsTheAnswer) {
  lib.ClearFrames();
  lib.HoldBusy(3);
  EXPECT_EQ(lib.FormataTX(FrameFor("35", {"27"}).c_str()), 0);
  int polls = 0;
  for (Reply r = Status(); r.st2 & 0x40; r = Status()) {
    ASSERT_LT(++polls, 10);
    EXPECT_EQ(lib.FormataTX("\x1B|19|\x1B"), 0);
  }
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(Answer(), "120626") << "the busy polls do not replace the answer";
  EXPECT_EQ(Frames(),
            (std::vector<std::string>{FrameFor("35", {"27"}), FrameFor("19"), FrameFor("19"), FrameFor("19")}));
  EXPECT_EQ(lib.StatusPolls(), 4);

  lib.HoldBusy(1);
  lib.FormataTX(FrameFor("09").c_str());
  EXPECT_EQ(Status().st2, 0x40);
  lib.FormataTX("\x1B|19|\x1B");
  EXPECT_EQ(Status().st1, 0x01) << "the busy polls keep the command's error";
  lib.ClearFrames();
  EXPECT_EQ(lib.FrameCount(), 0);
  EXPECT_EQ(lib.StatusPolls(), 0);
}

TEST_F(FaultsTest, CutAnswerShortensTheAnswersOfThatCodeOnly) {
  lib.CutAnswer("35", 2, 1);
  EXPECT_EQ(Ask("30"), "000000") << "another code answers whole";
  EXPECT_EQ(Ask("35", {"27"}), "12");
  EXPECT_EQ(Ask("35", {"27"}), "120626") << "one answer cut";
  lib.CutAnswer("35", 0, -1);
  EXPECT_EQ(Ask("35", {"14"}), "");
  EXPECT_EQ(Ask("35", {"27"}), "");
  lib.CutAnswer("35", 0, 0);
  EXPECT_EQ(Ask("35", {"27"}), "120626");
}

TEST_F(FaultsTest, PaperLowWarnsAndPaperOutStopsPrinting) {
  lib.SetPaper(1);
  Reply low = Send("00");
  EXPECT_EQ(low.st1, 0x40 | kCouponOpenBit);
  EXPECT_TRUE(low.Clean());
  Ok("14");
  lib.SetPaper(2);
  EXPECT_EQ(Send("00").st1, 0x80);
  EXPECT_EQ(lib.CouponOpen(), 0);
  EXPECT_EQ(Send("35", {"14"}).st1, 0x80) << "questions are still answered";
  EXPECT_EQ(Answer(), "001");
  lib.SetPaper(0);
  Ok("00");
}

TEST_F(FaultsTest, PortThatCannotOpenLeavesEveryCommandUnsent) {
  EXPECT_EQ(lib.FechaPorta(), 0);
  EXPECT_NE(lib.FechaPorta(), 0) << "already closed";
  lib.SetPortAvailable(0);
  EXPECT_EQ(lib.IniPortaStr("COM1"), 0);
  Reply r = Send("00");
  EXPECT_NE(r.sent, 0);
  EXPECT_EQ(r.ret, 1);
  EXPECT_EQ(lib.CouponOpen(), 0);
  lib.SetPortAvailable(1);
  EXPECT_EQ(lib.IniPortaStr(""), 0);
  EXPECT_NE(lib.IniPortaStr("COM1"), 0);
  Ok("00");
}

TEST_F(FaultsTest, MalformedInputNeverCrashes) {
  EXPECT_NE(lib.FormataTX(nullptr), 0);
  lib.Status_Mp20FI(nullptr, nullptr, nullptr, nullptr);
  lib.Le_Variaveis(nullptr);
  EXPECT_EQ(lib.IniPortaStr(nullptr), 0);
  for (const char* frame : {"", "\x1B", "\x1B|", "\x1B||\x1B", "|\x1B", "\x1B|09|||||||||||\x1B"})
    EXPECT_NE(SendFrame(frame).st1, 0) << frame;
  EXPECT_EQ(lib.Frame(-1, nullptr, 0), -1);
  EXPECT_EQ(lib.Frame(1000, nullptr, 0), -1);
  char small[4];
  EXPECT_EQ(lib.Frame(0, small, sizeof small), 0) << "the first frame was empty";
}

}  // namespace
}  // namespace mp20test

namespace mp20test {
namespace {

// "35" with "32": one slot of 56 bytes per method: name (16), the day's
// amount and the coupon's (20 digits each).
long long CouponAmount(const std::string& answer, int method) {
  return std::stoll(answer.substr(static_cast<std::size_t>(method - 1) * 56 + 36, 20));
}

TEST_F(FaultsTest, ACommandFaultRefusesOneCodeBeforeOrAfterCarryingItOut) {
  lib.SetPaymentMethods("Dinheiro\nCartao");
  Ok("00");
  Sell("1", 1, 2500);
  Ok("32", {"D", "0000"});
  // Refused without being carried out: nothing paid; other codes untouched.
  lib.FailCommand("72", 0, 0x01, 0, 1);
  Ok("30");
  EXPECT_EQ(Send("72", {"01", V14(1000)}).st2, 0x01);
  EXPECT_EQ(CouponAmount(Ask("35", {"32"}), 1), 0);
  // Carried out, then refused: the payment stands in the coupon.
  lib.FailCommand("72", 0, 0x01, 1, 1);
  EXPECT_EQ(Send("72", {"01", V14(1000)}).st2, 0x01);
  std::string slots = Ask("35", {"32"});
  ASSERT_EQ(slots.size(), 2u * 56u);
  EXPECT_EQ(slots.substr(0, 16), "Dinheiro        ");
  EXPECT_EQ(slots.substr(56, 16), "Cartao          ");
  EXPECT_EQ(CouponAmount(slots, 1), 1000);
  EXPECT_EQ(std::stoll(slots.substr(16, 20)), 1000) << "the day's amount";
  EXPECT_EQ(CouponAmount(slots, 2), 0);
  // The fault struck once; the card pays the rest and the coupon closes.
  Ok("72", {"02", V14(1500)});
  Ok("34", {" "});
  EXPECT_EQ(CouponAmount(Ask("35", {"32"}), 2), 1500) << "the last coupon, until the next document";
  Ok("00");
  EXPECT_EQ(CouponAmount(Ask("35", {"32"}), 2), 0);
  // Faults of two codes stand side by side; count 0 clears one.
  lib.FailCommand("09", 0x01, 0, 0, -1);
  lib.FailCommand("30", 0x01, 0, 0, -1);
  lib.FailCommand("09", 0, 0, 0, 0);
  Sell("2", 1, 100);
  EXPECT_EQ(Send("30").st1 & 0x01, 0x01);
  lib.FailCommand("30", 0, 0, 0, 0);
  Ok("30");
}

}  // namespace
}  // namespace mp20test
