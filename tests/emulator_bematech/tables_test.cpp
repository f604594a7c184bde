// The tables the driver reads and programs at start-up.
#include "printer_fixture.h"

namespace mp20test {
namespace {

using TablesTest = PrinterTest;

TEST_F(TablesTest, PaymentMethodProgrammingAnswersTheMethodNumber) {
  struct Case {
    const char* name;
    const char* answer;
  } cases[] = {
      {"Dinheiro", "01"}, {"Cartao Credito", "02"}, {"CARTAO CREDITO", "02"},
      {"Cheque", "03"},   {"dinheiro", "01"},       {"Cartao Credito  ", "02"},
  };
  for (const Case& c : cases) EXPECT_EQ(Ask("71", {c.name}), c.answer) << c.name;
  EXPECT_EQ(Send("71", {"Vale Alimentacao!"}).st2, 0x80) << "17 characters";
  EXPECT_EQ(Answer(), "") << "a refused programming answers nothing";
  Ok("00");
  EXPECT_EQ(Ask("71", {"Cheque"}), "03") << "a known method is answered with a coupon open";
  EXPECT_EQ(Send("71", {"Ticket"}).st2, 0x01) << "a new one is not programmed then";
}

TEST_F(TablesTest, TotalizerNamesComeInSlotsOf19EndedByAZeroByte) {
  lib.SetTotalizers("CONTRA-VALE EMITIDO\nRelatorios");
  Ok("35", {"25"});
  std::string b = Buffer();
  EXPECT_EQ(b.substr(0, 19), "CONTRA-VALE EMITIDO");
  EXPECT_EQ(b.substr(19, 19), "Relatorios         ");
  EXPECT_EQ(b[38], '\0');
  EXPECT_EQ(b.substr(39), std::string(3000 - 39, ' ')) << "the rest is the caller's";

  Ok("40", {"03", "Recebimentos"});
  Ok("35", {"25"});
  EXPECT_EQ(Buffer().substr(38, 20), std::string("Recebimentos       ") + '\0');
  EXPECT_EQ(Send("40", {"05", "Longe"}).st2, 0x01) << "numbers are taken in order";
  EXPECT_EQ(Send("40", {"04", "relatorios"}).st2, 0x01) << "a name already there";

  lib.SetTotalizers("");
  Ok("35", {"25"});
  EXPECT_EQ(Buffer()[0], '\0');
}

TEST_F(TablesTest, RatesAndTheServiceMapFollowTheProgrammedTable) {
  struct Case {
    const char* rates;
    std::string map;
    std::string answer;
  } cases[] = {
      {"1800T,0500S,1200T", std::string("\x40\x00", 2), "03180005001200"},
      {"", std::string(2, '\0'), "00"},
      {"0500S", std::string("\x80\x00", 2), "010500"},
      {"1700T,1800T,1200T,0700T,2500T,0400T,0300T,0200T,0100T,1100T,1300T,1400T,1500T,1600T,1900T,0200S",
       std::string("\x00\x01", 2),
       "16170018001200070025000400030002000100110013001400150016001900"
       "0200"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rates);
    lib.SetRates(c.rates);
    Ok("35", {"29"});
    EXPECT_EQ(Buffer().substr(0, 2), c.map);
    EXPECT_EQ(Ask("26"), c.answer);
  }
}

TEST_F(TablesTest, StartUpVariablesAnswerIdentityClockAndFiscalDay) {
  lib.SetIdentity("007", "BE0903SC95540000777");
  lib.SetClock(2026, 6, 12, 9, 5, 7);
  struct Case {
    const char* variable;
    const char* answer;
  } cases[] = {
      {"00", "BE0903SC95540000777"},
      {"14", "007"},
      {"23", "120626090507"},
      {"27", "120626"},
  };
  for (const Case& c : cases) EXPECT_EQ(Ask("35", {c.variable}), c.answer) << c.variable;
  lib.SetFiscalDay(0, 0, 0);
  EXPECT_EQ(Ask("35", {"27"}), "") << "no day open";
}

TEST_F(TablesTest, DrawerOpensOnCommandAndShutsByHand) {
  EXPECT_EQ(Ask("23"), "0");
  Ok("22|255");
  EXPECT_EQ(Ask("23"), "1");
  lib.SetDrawerOpen(0);
  EXPECT_EQ(Ask("23"), "0");
}

}  // namespace
}  // namespace mp20test
