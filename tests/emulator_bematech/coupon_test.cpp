// The fiscal coupon cycle as the driver sends it.
#include "printer_fixture.h"

namespace mp20test {
namespace {

using CouponTest = PrinterTest;

TEST_F(CouponTest, CompleteCouponWithChangePrintsEveryPartAndCountsTheCoo) {
  lib.SetPaymentMethods("Cartao");
  Ok("00");
  EXPECT_EQ(lib.CouponOpen(), 1);
  EXPECT_EQ(Ask("30"), "000001");
  Ok("09", {"0000000000123", "ARROZ TIPO 1 5KG", "01", "0002", "00001250", "0000"});
  Ok("09", {"0000000000456", "FEIJ\xC3O", "FF", "0001500", "00000400", "00000050"});
  Ok("32", {"D", "0000"});
  Ok("72", {"02", V14(1000)});
  EXPECT_TRUE(Send("34", {"Obrigado"}).st2 & 0x01) << "payments still short of 30,50";
  Ok("72", {"01", V14(5000)});
  Ok("34", {"Obrigado\nVolte sempre"});

  EXPECT_EQ(lib.CouponOpen(), 0);
  EXPECT_EQ(lib.CouponNumber(), 1);
  EXPECT_DOUBLE_EQ(lib.GrandTotal(), 31.00);
  std::string tape = TapeText();
  for (const char* expected : {"CUPOM FISCAL",
                               "COO:000001",
                               "001 0000000000123 ARROZ TIPO 1 5KG",
                               "2 x 12,50 01T18,00%",
                               "002 0000000000456 FEIJ\xC3O",
                               "1,500 x 4,00 F",
                               "desconto item",
                               "-0,50",
                               "TOTAL R$",
                               "30,50",
                               "Cartao",
                               "10,00",
                               "Dinheiro",
                               "50,00",
                               "TROCO R$",
                               "29,50",
                               "Obrigado\nVolte sempre\n",
                               "BEMATECH",
                               "FAB:BE050375610000012345",
                               "ECF:001"})
    EXPECT_NE(tape.find(expected), std::string::npos) << expected;
  for (std::size_t start = 0, end; (end = tape.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 48u) << tape.substr(start, end - start);

  Ok("00");
  EXPECT_EQ(Ask("30"), "000002");
}

TEST_F(CouponTest, DiscountOrSurchargeOnTheTotalChangesWhatMustBePaid) {
  struct Case {
    std::string kind, amount, total;
    long long due;
  } cases[] = {
      {"d", V14(150), "18,50", 1850},
      {"D", "1000", "18,00", 1800},  // 10%
      {"a", V14(100), "21,00", 2100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    lib.ClearTape();
    Ok("00");
    Sell("7", 2, 1000);
    Ok("32", {c.kind, c.amount});
    EXPECT_NE(TapeText().find(c.total), std::string::npos);
    Ok("72", {"01", V14(c.due - 1)});
    EXPECT_TRUE(Send("34", {" "}).st2 & 0x01);
    Ok("72", {"01", V14(1)});
    Ok("34", {" "});
  }
}

TEST_F(CouponTest, SurchargeCommandAddsToTheCoupon) {
  Ok("00");
  Sell("1", 1, 1000);
  Ok("62|50", {"0000000250"});
  Ok("32", {"D", "0000"});
  EXPECT_NE(TapeText().find("+2,50"), std::string::npos);
  EXPECT_TRUE(Send("72", {"01", V14(1249)}).Clean());
  EXPECT_TRUE(Send("34", {" "}).st2 & 0x01);
}

TEST_F(CouponTest, CancelledItemLeavesTheTotalAndCannotBeCancelledTwice) {
  Ok("00");
  Sell("1", 1, 1000);
  Sell("2", 1, 500);
  Ok("31", {"001"});
  EXPECT_NE(TapeText().find("CANCELAMENTO ITEM 001"), std::string::npos);
  EXPECT_EQ(Send("31", {"001"}).st2, 0x04);
  Ok("32", {"D", "0000"});
  Ok("72", {"01", V14(500)});
  Ok("34", {" "});
}

TEST_F(CouponTest, CancellingTheCouponPrintsACancellationWithTheNextCoo) {
  struct Case {
    const char* name;
    bool closed_first;
  } cases[] = {{"open coupon", false}, {"last coupon, closed", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int before = lib.CouponNumber();
    Ok("00");
    Sell("1", 3, 1000);
    if (c.closed_first) {
      Ok("32", {"D", "0000"});
      Ok("72", {"01", V14(3000)});
      Ok("34", {" "});
    }
    Ok("14");
    EXPECT_EQ(lib.CouponOpen(), 0);
    // The driver takes the cancelled coupon as this number minus one.
    EXPECT_EQ(std::stoi(Ask("30")), before + 2);
    std::string tape = TapeText();
    EXPECT_NE(tape.find("CUPOM CANCELADO"), std::string::npos);
    EXPECT_NE(tape.find("30,00"), std::string::npos);
    EXPECT_EQ(Send("14").st2, 0x04) << "nothing left to cancel";
  }
}

// "35" "17": 1 while a coupon is open, plus 2 once its closing began.
TEST_F(CouponTest, FiscalFlagsFollowTheCouponThroughItsClosing) {
  EXPECT_EQ(Ask("35", {"17"}), "000");
  Ok("00");
  EXPECT_EQ(Ask("35", {"17"}), "001");
  Sell("1", 1, 1000);
  Ok("32", {"D", "0000"});
  EXPECT_EQ(Ask("35", {"17"}), "003");
  Ok("72", {"01", V14(1000)});
  EXPECT_EQ(Ask("35", {"17"}), "003");
  Ok("34", {" "});
  EXPECT_EQ(Ask("35", {"17"}), "000");
}

TEST_F(CouponTest, ClosedCouponCanNoLongerBeCancelledOnceAnotherDocumentWasPrinted) {
  WholeCoupon();
  Ok("25", {"SU", V14(100)});
  EXPECT_EQ(Send("14").st2, 0x04);
}

TEST_F(CouponTest, RestaurantItemIsCancelledOnlyWhereItWasRegistered) {
  const std::vector<std::string> item{"0012", "00000550", "01", "00000000", "002000", "00000000000077", "CHOPP", "01"};
  Ok("80|48", item);
  std::vector<std::string> other_table = item;
  other_table[0] = "0013";
  EXPECT_EQ(Send("80|49", other_table).st2, 0x04);
  std::vector<std::string> padded = item;
  padded[0] = "  12";
  padded[5] = "            77";
  Ok("80|49", padded);
  EXPECT_EQ(Send("80|49", item).st2, 0x04) << "already cancelled";
}

// A table's coupon holds the table's items with the rates they were
// registered under, kept across a power cycle; it closes as the counter's
// coupon does and leaves the table free.
TEST_F(CouponTest, TablesCouponHoldsItsItemsAndClosesLikeTheCounters) {
  Ok("80|48", {"12", "00000550", "01", "00000000", "002000", "00000000000077", "CHOPP", "01"});
  Ok("80|48", {"12", "00003200", "01", "00000000", "001000", "00000000000042", "FRITAS", "FF"});
  Ok("80|48", {"13", "00000650", "01", "00000000", "001000", "00000000000035", "REFRIGERANTE", "01"});
  EXPECT_EQ(Send("80|48", {"12", "00000100", "01", "00000000", "001000", "00000000000099", "PAO", "09"}).st2, 0x10)
      << "a rate the printer does not have";
  lib.PowerCycle();
  ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  EXPECT_EQ(Send("80|52", {"14", "01"}).st2, 0x01) << "a table without items";
  Ok("80|52", {"12", "01"});
  EXPECT_EQ(lib.CouponOpen(), 1);
  EXPECT_EQ(Send("80|52", {"13", "01"}).st2, 0x01) << "a coupon is already open";
  Ok("32", {"D", "0000"});
  Ok("72", {"01", V14(5000)});
  Ok("34", {" "});
  EXPECT_EQ(lib.CouponOpen(), 0);
  EXPECT_DOUBLE_EQ(lib.GrandTotal(), 43.00);
  const std::string tape = TapeText();
  for (const char* expected :
       {"CUPOM FISCAL", "001 77 CHOPP", "2 x 5,50 01T18,00%", "002 42 FRITAS", "1 x 32,00 F", "43,00", "TROCO R$"})
    EXPECT_NE(tape.find(expected), std::string::npos) << expected << "\n" << tape;
  EXPECT_EQ(tape.find("REFRIGERANTE", tape.find("CUPOM FISCAL")), std::string::npos) << "table 13 is not on it";
  EXPECT_EQ(Send("80|50", {"12", "0", "00000000000000"}).st2, 0x01) << "table 12 is free";
  Ok("80|50", {"13", "0", "00000000000000"});
}

}  // namespace
}  // namespace mp20test
