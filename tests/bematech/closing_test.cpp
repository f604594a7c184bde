// Closing the coupon: a whole sale on the emulated printer, the start of
// the closing, payments in the order taken, the footer, the change voucher
// and the retry question.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/sysutils.h"

namespace bematech_test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kRetry = "Impressora n\xE3o responde. Imprimir novamente?";

// A sale of 25.00 in two items, ready to be closed.
class ClosingTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    printer.SetPaymentMethods("Dinheiro\nCartao");
    Qdm00100::CarregaTot_Bematech();
    FillPaymentTypes(tipos, {{"001", "Dinheiro", "1", "5", "01"},
                             {"002", "Cartao", "4", "5", "02"},
                             {"003", "Convenio", "8", "5", "01"},
                             {"004", "Ticket", "2", "5", "09"}});
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 2, 10, 0));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("2", "FEIJAO", "FF", 1, 5, 0));
    Mark();
  }

  struct Close {
    bool voucher = false;
    bool avisa = true;
    double desconto = 0;
    double contravale = 0;
    double acrescimo = 0;
    std::string retry = "N";
    std::string convenio, consumidor_linha, consumidor, cpf, nome;
  };
  bool FechaCupom(const Close& c) {
    return Qdm00100::FechaCupom_Bematech(c.voucher, c.avisa, c.desconto, c.contravale, c.acrescimo, c.retry, true, "",
                                         movimentos, tipos, numero, c.convenio, c.consumidor_linha, c.consumidor, c.cpf,
                                         c.nome);
  }

  // A closing that may ask the retry question, the operator answering Yes
  // `yes` times; nothing shown but the question.
  bool FechaCupomRetrying(int yes = 1) {
    for (int i = 0; i < yes; ++i) sandbox.dialogs->Answer(platform::mrYes);
    Close c;
    c.avisa = false;
    c.retry = "S";
    return FechaCupom(c);
  }

  platform::TClientDataSet tipos{"tipos"};
  platform::TClientDataSet movimentos{"movimentos"};
  std::string numero = "unset";
};

TEST_F(ClosingTest, CompleteCouponWithDiscountTwoPaymentsFooterAndVoucher) {
  // Card taken after cash; a change movement ("S") is no payment.
  FillMovements(movimentos, {{"E", "002", 10.00, 2.0}, {"S", "001", 6.00, 3.0}, {"E", "001", 20.00, 1.0}});
  Close c;
  c.voucher = true;
  c.desconto = 1.00;
  c.contravale = 5.00;
  c.cpf = "12345678909";
  ASSERT_TRUE(FechaCupom(c));

  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"d", "00000000000100"}),
                                    Frame("72", {"01", "00000000002000"}), Frame("72", {"02", "00000000001000"}),
                                    Frame("34", {"\n" + Text("CNPJCPF") + " : 12345678909\n"}),
                                    Frame("25", {Qdm00100::IdTotParcCV, "00000000000500", "Dinheiro"})));
  EXPECT_THAT(Dialogs(), IsEmpty());
  EXPECT_EQ(printer.CouponOpen(), 0);
  EXPECT_EQ(platform::StrToInt(numero), printer.CouponNumber() - 1);
  const std::string tape = printer.TapeText();
  EXPECT_THAT(tape, HasSubstr("12345678909"));
  EXPECT_THAT(tape, HasSubstr("CONTRA-VALE"));
}

struct ShapeCase {
  double desconto;
  double acrescimo;
  const char* tipo;  // "003" is paid through an agreement
  const char* consumidor_linha;
  const char* cpf;
  const char* nome;
  std::vector<std::string> inicio;  // "32"
  std::string rodape;               // "34"
};

TEST_F(ClosingTest, StartOfTheClosingAndFooterFollowTheArguments) {
  const ShapeCase cases[] = {
      {5, 2, "003", "", "", "", {"d", "00000000000500"}, "\n" + Text("Convenio") + " ..: EMPRESA X\n"},
      {0,
       2,
       "003",
       "S",
       "",
       "",
       {"a", "00000000000200"},
       "\n" + Text("Convenio") + " ..: EMPRESA X\n" + Text("Consumidor") + " : JOAO\n"},
      {0, 0, "001", "", "", "", {"D", "0000"}, " "},
      {0,
       0,
       "001",
       "",
       "123",
       "MARIA",
       {"D", "0000"},
       "\n" + Text("CNPJCPF") + " : 123\n" + Text("Nome") + " : MARIA\n"},
  };
  for (const ShapeCase& k : cases) {
    SCOPED_TRACE(k.rodape);
    FillMovements(movimentos, {{"E", k.tipo, 100.00, 1.0}});
    Close c;
    c.desconto = k.desconto;
    c.acrescimo = k.acrescimo;
    c.convenio = "EMPRESA X";
    c.consumidor_linha = k.consumidor_linha;
    c.consumidor = "JOAO";
    c.cpf = k.cpf;
    c.nome = k.nome;
    EXPECT_TRUE(FechaCupom(c));
    EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", k.inicio), Frame("72", {"01", "00000000010000"}),
                                      Frame("34", {k.rodape})));
    EXPECT_EQ(printer.CouponOpen(), 0);
    // A fresh sale for the next case.
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 1, 30, 0));
    Mark();
  }
}

TEST_F(ClosingTest, RefusedPaymentIsSentAgainOnYes) {
  // Method 03 is not programmed yet: the printer refuses the payment; the
  // operator fixes it and answers Yes.
  FillPaymentTypes(tipos, {{"001", "Cheque", "2", "5", "03"}});
  FillMovements(movimentos, {{"E", "001", 30.00, 1.0}});
  sandbox.dialogs->on_show = [this](const platform::RecordedDialog& d) {
    if (d.text == kRetry) printer.SetPaymentMethods("Dinheiro\nCartao\nCheque");
  };
  EXPECT_TRUE(FechaCupomRetrying());
  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"03", "00000000003000"}),
                                    Frame("35", {"32"}), Frame("72", {"03", "00000000003000"}), Frame("34", {" "})));
  EXPECT_THAT(Dialogs(), ElementsAre(kRetry));
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbYesNo);
  EXPECT_EQ(printer.CouponOpen(), 0);
}

// Refusals the printer may give a payment: with nothing done, or after it
// registered the payment all the same.
constexpr int kNotExecuted = 0x01;
constexpr int kNothingDone = 0;
constexpr int kAfterRegistering = 1;

struct RetryCase {
  const char* why;
  int when;                             // kNothingDone or kAfterRegistering
  int count;                            // payments refused, from the first
  std::vector<std::string> pagamentos;  // what goes out after the coupon number and "32"
};

TEST_F(ClosingTest, ARefusedPaymentIsAskedOfThePrinterAndNeverRegisteredTwice) {
  const std::string cash = Frame("72", {"01", "00000000001000"});
  const std::string cash15 = Frame("72", {"01", "00000000001500"});
  const std::string asked = Frame("35", {"32"});
  const RetryCase cases[] = {
      {"taken", kAfterRegistering, 1, {cash, asked, cash15}},
      {"not taken", kNothingDone, 1, {cash, asked, cash, cash15}},
      // The second is judged against what the first already paid in cash.
      {"both taken", kAfterRegistering, 2, {cash, asked, cash15, asked}},
  };
  for (const RetryCase& k : cases) {
    SCOPED_TRACE(k.why);
    FillMovements(movimentos, {{"E", "001", 10.00, 1.0}, {"E", "001", 15.00, 2.0}});
    printer.FailCommand("72", 0, kNotExecuted, k.when, k.count);
    EXPECT_TRUE(FechaCupomRetrying(k.count));
    std::vector<std::string> expected{Frame("30"), Frame("32", {"D", "0000"})};
    expected.insert(expected.end(), k.pagamentos.begin(), k.pagamentos.end());
    expected.push_back(Frame("34", {" "}));
    EXPECT_EQ(Frames(), expected);
    EXPECT_EQ(Dialogs().size(), static_cast<std::size_t>(k.count));
    // Paid exactly the total: no change, and the coupon closed.
    EXPECT_EQ(printer.CouponOpen(), 0);
    const std::string tape = printer.TapeText();
    EXPECT_THAT(tape, HasSubstr("TOTAL R$"));
    EXPECT_THAT(tape, Not(HasSubstr("TROCO")));
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 1, 25, 0));
    Mark();
    printer.ClearTape();
  }
}

TEST_F(ClosingTest, APaymentWhoseFateCannotBeReadIsNotSentAgain) {
  FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
  printer.FailCommand("72", 0, kNotExecuted, kAfterRegistering, 1);
  printer.FailCommand("35", 0, kNotExecuted, kNothingDone, 1);
  EXPECT_FALSE(FechaCupomRetrying());
  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"01", "00000000002500"}),
                                    Frame("35", {"32"})));
  const std::vector<std::string> log = LogLines();
  EXPECT_THAT(log, Contains("ERRO!!! Pagamento nao conferido na impressora: forma 01"));
  EXPECT_EQ(log.back(), "ERRO!!! Cupom nao encerrado");
  // The printer holds the one payment; the coupon waits for its footer.
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_TRUE(Qdm00100::EnviaComando_Bematech("34", {" "}, false, false));
  EXPECT_EQ(printer.CouponOpen(), 0);
}

TEST_F(ClosingTest, ARefusedFooterIsSentAgainAloneOnYes) {
  // The payments stand in the printer: once it says the coupon is still
  // open, the closing goes on from the footer.
  FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
  printer.FailCommand("34", 0, kNotExecuted, kNothingDone, 1);
  EXPECT_TRUE(FechaCupomRetrying());
  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"01", "00000000002500"}),
                                    Frame("34", {" "}), Frame("35", {"17"}), Frame("34", {" "})));
  EXPECT_EQ(printer.CouponOpen(), 0);
}

// A footer or change voucher the printer carried out and still answered
// refused: it is asked what became of the command before anything goes
// out again, and the closing answers by what it says.
struct TakenCase {
  const char* why;
  const char* code;  // refused after it was carried out
  const char* retry;
  std::vector<int> answers;
  std::vector<std::string> after;  // what follows the refused command
};

TEST_F(ClosingTest, AFooterOrVoucherThePrinterTookIsNeverSentAgainAndTheCouponStandsClosed) {
  const std::string flags = Frame("35", {"17"});
  const std::string voucher = Frame("25", {"01", "00000000000500", "Dinheiro"});
  const TakenCase cases[] = {
      {"footer, Yes", "34", "S", {platform::mrYes}, {flags, voucher}},
      {"footer, No", "34", "S", {platform::mrNo}, {flags, voucher}},
      {"footer, no question allowed", "34", "N", {}, {flags, voucher}},
      {"voucher, Yes", "25", "S", {platform::mrYes}, {Frame("30")}},
      {"voucher, No", "25", "S", {platform::mrNo}, {Frame("30")}},
  };
  for (const TakenCase& k : cases) {
    SCOPED_TRACE(k.why);
    FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
    printer.FailCommand(k.code, 0, kNotExecuted, kAfterRegistering, 1);
    for (int a : k.answers) sandbox.dialogs->Answer(a);
    const int coo = printer.CouponNumber();
    Close c;
    c.voucher = true;
    c.contravale = 5.00;
    c.avisa = false;
    c.retry = k.retry;
    EXPECT_TRUE(FechaCupom(c)) << "the printer closed the coupon";
    std::vector<std::string> expected{Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"01", "00000000002500"}),
                                      Frame("34", {" "})};
    if (std::string(k.code) == "25") expected.push_back(voucher);
    expected.insert(expected.end(), k.after.begin(), k.after.end());
    EXPECT_EQ(Frames(), expected);
    EXPECT_EQ(printer.CouponOpen(), 0);
    const std::string tape = printer.TapeText();
    EXPECT_THAT(tape, Not(HasSubstr("CUPOM CANCELADO")));
    // One change voucher, on the printer's one document after the coupon.
    std::size_t vouchers = 0;
    for (std::size_t at = tape.find("CONTRA-VALE EMITIDO"); at != std::string::npos;
         at = tape.find("CONTRA-VALE EMITIDO", at + 1)) {
      ++vouchers;
    }
    EXPECT_EQ(vouchers, 1u);
    EXPECT_EQ(printer.CouponNumber(), coo + 1);
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 1, 25, 0));
    Mark();
    printer.ClearTape();
  }
}

TEST_F(ClosingTest, APaymentQueryAnswerCutShortSendsNothingAgain) {
  // Paid by card, method 02: the printer holds "Dinheiro" and "Cartao", two
  // slots of 56 bytes, and the answer is cut before the card's slot ends.
  for (int cut : {40, 56, 100}) {
    SCOPED_TRACE(cut);
    FillMovements(movimentos, {{"E", "002", 25.00, 1.0}});
    printer.FailCommand("72", 0, kNotExecuted, kAfterRegistering, 1);
    printer.CutAnswer("35", cut, 1);
    EXPECT_FALSE(FechaCupomRetrying(2));
    EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"02", "00000000002500"}),
                                      Frame("35", {"32"})));
    EXPECT_THAT(LogLines(), Contains("ERRO!!! Pagamento nao conferido na impressora: forma 02"));
    EXPECT_EQ(printer.CouponOpen(), 1);
    EXPECT_EQ(printer.TapeText().find("Cartao"), printer.TapeText().rfind("Cartao")) << "the card registered once";
    ASSERT_TRUE(Qdm00100::Cancela_Cupom_Bematech(false, false, numero));
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 1, 25, 0));
    sandbox.dialogs->Clear();
    Mark();
    printer.ClearTape();
  }
}

TEST_F(ClosingTest, ACouponStateThatCannotBeReadIsNeverTakenAsClosed) {
  FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
  printer.FailCommand("34", 0, kNotExecuted, kNothingDone, 1);
  printer.CutAnswer("35", 2, 1);
  EXPECT_FALSE(FechaCupomRetrying());
  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"01", "00000000002500"}),
                                    Frame("34", {" "}), Frame("35", {"17"})));
  const std::vector<std::string> log = LogLines();
  EXPECT_THAT(log, Contains("ERRO!!! Estado do cupom nao conferido na impressora: resposta '00'"));
  EXPECT_EQ(log.back(), "ERRO!!! Cupom nao encerrado");
  EXPECT_EQ(printer.CouponOpen(), 1);
}

TEST_F(ClosingTest, RefusedPaymentEndsTheClosingOnNoOrWithoutTheQuestion) {
  FillMovements(movimentos, {{"E", "004", 30.00, 1.0}});  // method 09 unknown
  for (const char* retry : {"S", "N"}) {
    SCOPED_TRACE(retry);
    Mark();
    sandbox.dialogs->Answer(platform::mrNo);
    Close c;
    c.avisa = false;
    c.retry = retry;
    // The coupon is still open: the closing did not complete.
    EXPECT_FALSE(FechaCupom(c));
    // Asked, the printer holds no method 09: nothing it can tell of it.
    EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"09", "00000000003000"}),
                                      Frame("35", {"32"})));
    EXPECT_EQ(Dialogs().size(), std::string(retry) == "S" ? 1u : 0u);
    EXPECT_EQ(printer.CouponOpen(), 1);
    ASSERT_TRUE(Qdm00100::Cancela_Cupom_Bematech(false, false, numero));
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 1, 25, 0));
    sandbox.dialogs->Clear();
  }
}

TEST_F(ClosingTest, AFooterRefusedForAnUncoveredTotalAnswersFalse) {
  // 10.00 paid against 25.00: the printer takes the payment and refuses to
  // end the coupon; no retry is allowed.
  FillMovements(movimentos, {{"E", "001", 10.00, 1.0}});
  Close c;
  c.avisa = false;
  EXPECT_FALSE(FechaCupom(c));
  // Asked, the printer says the coupon is still open.
  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("72", {"01", "00000000001000"}),
                                    Frame("34", {" "}), Frame("35", {"17"})));
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_EQ(LogLines().back(), "ERRO!!! Cupom nao encerrado");
}

struct StartCase {
  const char* why;
  int when;                        // the start of the closing refused: kNothingDone or kAfterRegistering
  std::vector<std::string> after;  // what follows the question
};

TEST_F(ClosingTest, ARefusedStartOfTheClosingIsSentAgainOnlyWhenThePrinterDidNotTakeIt) {
  const std::string again = Frame("32", {"D", "0000"});
  const StartCase cases[] = {
      {"not taken", kNothingDone, {Frame("35", {"17"}), again}},
      {"taken", kAfterRegistering, {Frame("35", {"17"})}},
  };
  for (const StartCase& k : cases) {
    SCOPED_TRACE(k.why);
    FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
    printer.FailCommand("32", 0, kNotExecuted, k.when, 1);
    EXPECT_TRUE(FechaCupomRetrying());
    std::vector<std::string> expected{Frame("30"), Frame("32", {"D", "0000"})};
    expected.insert(expected.end(), k.after.begin(), k.after.end());
    expected.push_back(Frame("72", {"01", "00000000002500"}));
    expected.push_back(Frame("34", {" "}));
    EXPECT_EQ(Frames(), expected);
    EXPECT_EQ(printer.CouponOpen(), 0);
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "FF", 1, 25, 0));
    Mark();
  }
}

TEST_F(ClosingTest, AClosingStartedWithoutTheCouponNumberStillCloses) {
  FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
  printer.RefuseTransmission(2);  // the coupon number and the start of the closing
  EXPECT_TRUE(FechaCupomRetrying());
  EXPECT_EQ(numero, "");
  EXPECT_THAT(Frames(),
              ElementsAre(Frame("30"), Frame("32", {"D", "0000"}), Frame("35", {"17"}), Frame("32", {"D", "0000"}),
                          Frame("72", {"01", "00000000002500"}), Frame("34", {" "})));
  EXPECT_EQ(printer.CouponOpen(), 0);
}

TEST_F(ClosingTest, NothingIsSentForAnAmountOrPaymentTheClosingCannotCarry) {
  struct Case {
    const char* why;
    Movement movimento;
    double desconto;
    const char* dialog;
  };
  const Case cases[] = {
      {"payment too large", {"E", "001", 1e12, 1.0}, 0, "Valor fora do formato da impressora fiscal."},
      {"discount too large", {"E", "001", 25.0, 1.0}, 1e13, "Valor fora do formato da impressora fiscal."},
      {"type not handed over",
       {"E", "777", 25.0, 1.0},
       0,
       "Forma de pagamento n\xE3o cadastrada na impressora fiscal."},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.why);
    Mark();
    FillMovements(movimentos, {k.movimento});
    Close c;
    c.desconto = k.desconto;
    EXPECT_FALSE(FechaCupom(c));
    EXPECT_THAT(Frames(), IsEmpty());
    EXPECT_THAT(Dialogs(), ElementsAre(k.dialog));
    EXPECT_EQ(printer.CouponOpen(), 1);
  }
}

TEST_F(ClosingTest, TypeWithoutPrinterNumberBorrowsItFromTheCurrentPaymentType) {
  FillPaymentTypes(tipos, {{"001", "Dinheiro", "1", "5", ""}});
  platform::TClientDataSet& atual = Qdm00000::DataModule().cdsTipoRece;
  FillPaymentTypes(atual, {{"901", "Dinheiro", "1"}});
  FillMovements(movimentos, {{"E", "001", 25.00, 1.0}});
  EXPECT_TRUE(FechaCupom(Close{}));
  EXPECT_EQ(Frames().at(2), Frame("72", {"01", "00000000002500"}));
  atual.Close();
}

}  // namespace
}  // namespace bematech_test
