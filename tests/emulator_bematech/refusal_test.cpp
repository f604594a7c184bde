// Commands the printer refuses, the status bits it shows for each, and
// that a refusal changes nothing.
#include <cctype>

#include "printer_fixture.h"

namespace mp20test {
namespace {

struct Refusal {
  const char* name;
  std::vector<std::vector<std::string>> before;  // code then fields, each taken
  std::string frame;
  int st1, st2;
};

std::string Item(const std::string& tax = "01", const std::string& quantity = "0001",
                 const std::string& price = "00001000", const std::string& discount = "0000",
                 const std::string& description = "ITEM") {
  return FrameFor("09", {"0000000000001", description, tax, quantity, price, discount});
}

const std::vector<std::string> kOpen{"00"};
const std::vector<std::string> kSell{"09", "0000000000001", "ITEM", "01", "0001", "00001000", "0000"};
const std::vector<std::string> kClosing{"32", "D", "0000"};

class RefusalTest : public PrinterTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, RefusesWithItsBitsAndChangesNothing) {
  const Refusal& r = GetParam();
  for (const auto& step : r.before) Ok(step[0], std::vector<std::string>(step.begin() + 1, step.end()));
  std::string state_before = ReadFile(File("state"));
  std::size_t tape_before = TapeText().size();
  int coo = lib.CouponNumber();

  Reply reply = SendFrame(r.frame);
  EXPECT_EQ(reply.sent, 0) << "the library takes the bytes";
  EXPECT_EQ(reply.ack, 6);
  EXPECT_EQ(reply.st1 & ~kCouponOpenBit, r.st1);
  EXPECT_EQ(reply.st2, r.st2);
  EXPECT_EQ(ReadFile(File("state")), state_before);
  EXPECT_EQ(TapeText().size(), tape_before);
  EXPECT_EQ(lib.CouponNumber(), coo);
  EXPECT_EQ(Answer(), "");
  EXPECT_TRUE(Send("30").Clean()) << "the error bits belong to that command only";
}

const Refusal kRefusals[] = {
    {"not framed", {}, "00", 0x08, 0},
    {"framed without the closing bar", {}, "\x1B|00\x1B", 0x08, 0},
    {"unknown command", {}, FrameFor("99"), 0x04, 0},
    {"sale without a coupon", {}, Item(), 0, 0x01},
    {"sale with five fields", {kOpen}, FrameFor("09", {"0000000000001", "ITEM", "01", "0001", "00001000"}), 0x01, 0},
    {"tax code beyond the table", {kOpen}, Item("17"), 0, 0x10},
    {"tax code unknown", {kOpen}, Item("XX"), 0, 0x10},
    {"price not digits", {kOpen}, Item("01", "0001", "0000A000"), 0, 0x80},
    {"quantity of five digits", {kOpen}, Item("01", "00010"), 0, 0x80},
    {"quantity zero", {kOpen}, Item("01", "0000"), 0, 0x80},
    {"description of 30", {kOpen}, Item("01", "0001", "00001000", "0000", std::string(30, 'A')), 0, 0x80},
    {"discount as large as the item", {kOpen}, Item("01", "0001", "00001000", "00001000"), 0, 0x01},
    {"coupon opened twice", {kOpen}, FrameFor("00"), 0, 0x01},
    {"cancel an item never sold", {kOpen, kSell}, FrameFor("31", {"002"}), 0, 0x04},
    {"cancel a coupon never opened", {}, FrameFor("14"), 0, 0x04},
    {"closing an empty coupon", {kOpen}, FrameFor("32", {"D", "0000"}), 0, 0x01},
    {"payment before the closing", {kOpen, kSell}, FrameFor("72", {"01", "00000000001000"}), 0, 0x01},
    {"payment with an unknown method", {kOpen, kSell, kClosing}, FrameFor("72", {"09", "00000000001000"}), 0, 0x01},
    {"payment of nothing", {kOpen, kSell, kClosing}, FrameFor("72", {"01", "00000000000000"}), 0, 0x80},
    {"end before the payments", {kOpen, kSell, kClosing}, FrameFor("34", {" "}), 0, 0x01},
    {"sale during the closing", {kOpen, kSell, kClosing}, Item(), 0, 0x01},
    {"discount above the total", {kOpen, kSell}, FrameFor("32", {"d", "00000000001000"}), 0, 0x01},
    {"unknown discount letter", {kOpen, kSell}, FrameFor("32", {"x", "0000"}), 0, 0x80},
    {"unknown variable", {}, FrameFor("35", {"99"}), 0, 0x80},
    {"receipt on a totalizer not named", {}, FrameFor("25", {"05", "00000000000100", "Dinheiro"}), 0, 0x01},
    {"text with no voucher open", {}, FrameFor("67", {"texto"}), 0, 0x01},
    {"closing a report never opened", {}, FrameFor("21"), 0, 0x01},
    {"payment method name of 17", {}, FrameFor("71", {std::string(17, 'A')}), 0, 0x80},
    {"X reading with a coupon open", {kOpen}, FrameFor("06"), 0, 0x01},
    {"reduction file before any Z", {}, FrameFor("69"), 0, 0x01},
};

INSTANTIATE_TEST_SUITE_P(Commands, RefusalTest, ::testing::ValuesIn(kRefusals), [](const auto& info) {
  std::string name;
  for (char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

using OpenCouponBitTest = PrinterTest;

TEST_F(OpenCouponBitTest, ShowsOnEveryStatusWhileTheCouponStaysOpen) {
  EXPECT_EQ(Status().st1 & kCouponOpenBit, 0);
  Ok("00");
  EXPECT_EQ(Status().st1, kCouponOpenBit);
  EXPECT_EQ(Send("30").st1, kCouponOpenBit);
  EXPECT_EQ(Send("09", {"1"}).st1, kCouponOpenBit | 0x01);
  EXPECT_EQ(Ask("19"), "002000");
  Sell("1", 1, 100);
  Ok("32", {"D", "0000"});
  EXPECT_EQ(Status().st1, kCouponOpenBit) << "still open while paying";
  Ok("72", {"01", V14(100)});
  Ok("34", {" "});
  EXPECT_EQ(Status().st1, 0);
}

}  // namespace
}  // namespace mp20test
