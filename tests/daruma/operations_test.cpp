// The fiscal operations through the facade (and FechaCupom_Daruma, which
// the front end calls itself), frame by frame on both models.
#include <gmock/gmock.h>

#include "support/movements.h"
#include "daruma_fixture.h"
#include "tef/Qdm00500.h"
#include "utility/utility.h"

namespace daruma_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class OperationsTest : public DarumaTest {
 protected:
  explicit OperationsTest(int tipo = 7) : DarumaTest(tipo) {}
  void SetUp() override { Start(); }
  std::string Description() const { return util::TamFixo("REFRIGERANTE LATA", 30); }
};

class Type8OperationsTest : public OperationsTest {
 protected:
  Type8OperationsTest() : OperationsTest(8) {}
};

TEST_F(OperationsTest, ItemSaleFieldsWithThePercentageDiscount) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_TRUE(Qdm00000::VendaItem("", "", "789", "REFRIGERANTE LATA", "A", 2, 10.00, 1.00));
  EXPECT_THAT(Frames(), ElementsAre(kEsc + Byte(0xD7) + "A" + "0000000000789" + "00001000" + "000001000" + "00002  " +
                                    Description()));
}

TEST_F(Type8OperationsTest, ItemSaleFieldsWithTheDiscountAmount) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_TRUE(Qdm00000::VendaItem("", "", "789", "REFRIGERANTE LATA", "A", 2, 10.00, 5));
  EXPECT_THAT(Frames(), ElementsAre(kEsc + Byte(0xD7) + "A" + "0000000000789" + "00000500" + "000001000" + "00002  " +
                                    Description()));
}

TEST_F(OperationsTest, FractionalQuantityKeepsItsCommaSoThePrinterTellsItFromAWholeOne) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_TRUE(Qdm00000::VendaItem("", "", "1", "QUEIJO", "F", 1.5, 30.00, 0));
  EXPECT_TRUE(Qdm00000::VendaItem("", "", "2", "PARAFUSO", "F", 150, 0.10, 0));
  const std::vector<std::string> frames = Frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].substr(33, 7), "001,50 ");
  EXPECT_EQ(frames[1].substr(33, 7), "00150  ");
  EXPECT_THAT(printer.TapeText(), HasSubstr("1,50 x 30,00 F 45,00"));
  EXPECT_THAT(printer.TapeText(), HasSubstr("150,00 x 0,10 F 15,00"));
}

TEST_F(OperationsTest, ValueThatDoesNotFitIsRefusedNeverCut) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  const struct {
    double quantidade, preco, desconto;
  } cases[] = {{1, 12345678.90, 0}, {123456, 1, 0}, {1000.5, 1, 0}, {1, 10, 10}, {1, -1, 0}, {1, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.preco);
    Mark();
    EXPECT_FALSE(Qdm00000::VendaItem("", "", "1", "X", "F", c.quantidade, c.preco, c.desconto));
    EXPECT_THAT(Frames(), IsEmpty());
    EXPECT_TRUE(Logged("ERRO!!! Valor fora do formato da impressora fiscal."));
    EXPECT_EQ(sandbox.dialogs->Texts().size(), 1u);
  }
}

// A rates question whose answer kept changing leaves no rate misread; the
// item then goes without a known tax code, the printer refuses it, and the
// sale says so. An item the printer answers with nothing is not sold either.
TEST_F(OperationsTest, ItemBehindAnUnsettledOrEmptyAnswerIsNeverTakenForSold) {
  printer.HoldBusy(100);
  Qdm00000::CarregaAliquota();
  printer.HoldBusy(0);
  platform::TClientDataSet& aliquotas = Qdm00000::DataModule().cdsAliqImpFis;
  EXPECT_EQ(aliquotas.RecordCount(), 3);
  platform::TClientDataSet& produto = Qdm00000::DataModule().cdsProduto;
  produto.Close();
  produto.FieldDefs.clear();
  produto.AddFieldDef("IDTPIMPOSFIS", platform::TFieldType::ftString, 1);
  produto.AddFieldDef("VRPEALIMPFIS", platform::TFieldType::ftFloat);
  produto.CreateDataSet();
  produto.Append();
  produto.FieldByName("IDTPIMPOSFIS").SetAsString("T");
  produto.FieldByName("VRPEALIMPFIS").SetAsFloat(18);
  produto.Post();
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_FALSE(Qdm00000::VendaItem("", "", "1", "ITEM", Qdm00000::Verifica_Aliquota(""), 1, 10, 0));
  EXPECT_EQ(Qdm00300::DarumaRet, ":E12");
  printer.HoldBusy(100);
  EXPECT_FALSE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 10, 0));
  printer.HoldBusy(0);
  printer.AnswerNothing(0, 1);
  EXPECT_FALSE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 10, 0));
}

// A 14-digit bar code would lose a digit in the 13-character field: the
// item is refused, never sold under another code.
TEST_F(OperationsTest, ItemCodeLongerThanItsFieldIsRefusedNeverCut) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_FALSE(Qdm00000::VendaItem("", "", "78912345678901", "X", "F", 1, 1, 0));
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_TRUE(Logged("ERRO!!! Codigo do item maior que 13 caracteres: 78912345678901"));
  EXPECT_EQ(sandbox.dialogs->Texts().size(), 1u);
  EXPECT_TRUE(Qdm00000::VendaItem("", "", "7891234567890", "X", "F", 1, 1, 0));
  ASSERT_EQ(Frames().size(), 1u);
  EXPECT_EQ(Frames()[0].substr(3, 13), "7891234567890");
}

TEST_F(OperationsTest, CouponNumberComesFromTheOpeningAnswer) {
  printer.SetIdentity("0001", "DR000001");
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  EXPECT_EQ(Qdm00000::NrCupom, "000001");
  EXPECT_EQ(Qdm00300::NumeroCupom(), "000001");
  EXPECT_EQ(Qdm00000::Nr_Cupom(), "");
  // Refused: no number is taken from the error's characters.
  Mark();
  EXPECT_FALSE(Qdm00000::AbreCupom(""));
  EXPECT_EQ(Qdm00000::NrCupom, "0000");
}

TEST_F(OperationsTest, ClosingTotalPaymentAndFooter) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 25.50, 0));
  Mark();
  EXPECT_TRUE(Qdm00300::FechaCupom_Daruma(7, false, "", 0, 0, 25.50, ""));
  EXPECT_THAT(Frames(),
              ElementsAre(kEsc + Byte(0xF1) + "1" + "000000000000",
                          kEsc + Byte(0xF2) + "P" + "000000002550" + Byte(0xFF), kEsc + Byte(0xF3) + Byte(0xFF)));
  EXPECT_EQ(printer.OpenDocument(), 0);
  EXPECT_EQ(printer.DayCents(0), 2550);
}

TEST_F(OperationsTest, ClosingFootersWithTheCustomer) {
  const struct {
    const char* cpf;
    const char* nome;
    std::string footer;
  } cases[] = {
      {"12345678909", "MARIA", "\r\nCNPJ/CPF : 12345678909\r\nNome : MARIA\r\n" + Byte(0xFF)},
      {"12345678909", "", "\r\nCNPJ/CPF : 12345678909\r\n" + Byte(0xFF)},
      {"", "MARIA", Byte(0xFF)},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Qdm00000::AbreCupom(""));
    ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 10, 0));
    Mark();
    EXPECT_TRUE(Qdm00300::FechaCupom_Daruma(7, false, c.cpf, 2.00, 0, 20, c.nome));
    ASSERT_EQ(Frames().size(), 3u);
    EXPECT_EQ(Frames()[0], kEsc + Byte(0xF1) + "1" + "000000000200");
    EXPECT_EQ(Frames()[2], kEsc + Byte(0xF3) + c.footer);
  }
}

// Every step goes out whatever the one before answered, so a coupon paid in
// part is closed by a second call that pays the rest; the closing is done
// only when the printer closed the coupon.
TEST_F(OperationsTest, ClosingSendsEveryStepAndIsDoneOnlyWhenTheCouponIsClosed) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 30, 0));
  Mark();
  EXPECT_FALSE(Qdm00300::FechaCupom_Daruma(7, false, "", 0, 0, 20, ""));
  EXPECT_EQ(CommandBytes(), (std::vector<unsigned char>{0xF1, 0xF2, 0xF3}));
  EXPECT_EQ(printer.OpenDocument(), 1);
  Mark();
  EXPECT_TRUE(Qdm00300::FechaCupom_Daruma(7, false, "", 0, 0, 10, ""));
  EXPECT_EQ(CommandBytes(), (std::vector<unsigned char>{0xF1, 0xF2, 0xF3}));
  EXPECT_EQ(printer.OpenDocument(), 0);
  EXPECT_EQ(printer.DayCents(0), 3000);
}

// The closing's answer lost: the printer is asked whether the coupon is
// still open, and the answer follows what it says.
TEST_F(OperationsTest, ClosingWhoseAnswerIsLostFollowsThePrinter) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 30, 0));
  Mark();
  printer.AnswerNothing(2, 1);
  EXPECT_TRUE(Qdm00300::FechaCupom_Daruma(7, false, "", 0, 0, 30, ""));
  EXPECT_EQ(CommandBytes(), (std::vector<unsigned char>{0xF1, 0xF2, 0xF3, 0xFF}));
  EXPECT_EQ(printer.OpenDocument(), 0);
  // Not closed, and the printer cannot say: never taken for closed.
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 30, 0));
  printer.AnswerNothing(2, -1);
  EXPECT_FALSE(Qdm00300::FechaCupom_Daruma(7, false, "", 0, 0, 20, ""));
  printer.AnswerNothing(0, 0);
  EXPECT_EQ(printer.OpenDocument(), 1);
}

// The facade's closing pays each movement under its payment type's letter:
// the coupon and the day's figures show the card beside the cash. The
// payment-type file lists the card first, the printer holds cash first: each
// letter is the method's place on the printer, never the file's count.
TEST_F(OperationsTest, FacadeClosingRegistersEachPaymentUnderItsMethod) {
  printer.SetPaymentMethods("NDinheiro\nNCartao Debito");
  platform::TClientDataSet recebimentos("recebimentos"), movimentos("movimentos");
  testsupport::FillPaymentTypes(recebimentos, {{"002", "Cartao Debito", "D"}, {"001", "Dinheiro", "1"}});
  Qdm00300::CarregaRec_Daruma(recebimentos);
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 66.77, 0));
  testsupport::FillMovements(movimentos, {{"E", "001", 50.00, 2}, {"S", "001", 3.23, 3}, {"E", "002", 20.00, 1}});
  Mark();
  std::string numero;
  EXPECT_TRUE(Qdm00000::FechaCupom(false, true, 0, 0, 0, "S", true, "", movimentos, recebimentos, numero, "", "", "",
                                   "123.456.789-09", ""));
  EXPECT_EQ(numero, Qdm00300::NumeroCupom());
  EXPECT_THAT(Frames(), ElementsAre(kEsc + Byte(0xF1) + "1" + "000000000000",
                                    kEsc + Byte(0xF2) + "B" + "000000002000" + Byte(0xFF),
                                    kEsc + Byte(0xF2) + "A" + "000000005000" + Byte(0xFF),
                                    kEsc + Byte(0xF3) + "\r\nCNPJ/CPF : 123.456.789-09\r\n" + Byte(0xFF)));
  EXPECT_EQ(printer.OpenDocument(), 0);
  EXPECT_THAT(printer.TapeText(), HasSubstr("Cartao Debito R$ 20,00\nDinheiro R$ 50,00\n"));
  ASSERT_TRUE(Qdm00000::Leitura_X(""));
  EXPECT_THAT(printer.TapeText(), HasSubstr("Dinheiro R$ 46,77\nCartao Debito R$ 20,00\n"));
}

// What the printer could not register as given is refused before anything
// is sent: a payment type without a letter, a surcharge, a change voucher.
TEST_F(OperationsTest, FacadeClosingRefusesWhatThePrinterCannotRegister) {
  platform::TClientDataSet recebimentos("recebimentos"), movimentos("movimentos");
  testsupport::FillPaymentTypes(recebimentos, {{"001", "Dinheiro", "1", "5", "A"}, {"009", "Vale", "4"}});
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 10, 0));
  std::string numero;
  const struct {
    std::vector<testsupport::Movement> pagos;
    double acrescimo;
    bool contravale;
    const char* log;
  } cases[] = {
      {{{"E", "009", 10, 1}}, 0, false, "ERRO!!! Forma de pagamento nao cadastrada: 009"},
      {{{"E", "007", 10, 1}}, 0, false, "ERRO!!! Forma de pagamento nao cadastrada: 007"},
      {{{"E", "001", 10, 1}}, 1, false, "ERRO!!! Acrescimo no fechamento nao suportado"},
      {{{"E", "001", 10, 1}}, 0, true, "ERRO!!! Contra-vale no fechamento nao suportado"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    Mark();
    testsupport::FillMovements(movimentos, {c.pagos[0]});
    EXPECT_FALSE(Qdm00000::FechaCupom(c.contravale, true, 0, 1, c.acrescimo, "S", true, "", movimentos, recebimentos,
                                      numero, "", "", "", "", ""));
    EXPECT_THAT(Frames(), IsEmpty());
    EXPECT_TRUE(Logged(c.log));
    EXPECT_EQ(sandbox.dialogs->Texts().size(), 1u);
  }
  EXPECT_EQ(printer.OpenDocument(), 1);
}

TEST_F(Type8OperationsTest, ClosingInOneCommand) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 30, 0));
  Mark();
  EXPECT_TRUE(Qdm00300::FechaCupom_Daruma(8, false, "", 1.50, 0.25, 28.25, ""));
  EXPECT_THAT(Frames(), ElementsAre(kEsc + Byte(0xC9) + "0175" + "28,25" + Byte(0xFF)));
  EXPECT_EQ(printer.OpenDocument(), 0);
  EXPECT_EQ(printer.DayCents(0), 2825);
  // A discount beyond the four digits is refused before anything is sent.
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_FALSE(Qdm00300::FechaCupom_Daruma(8, false, "", 100, 0, 1, ""));
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_TRUE(Qdm00300::FechaCupom_Daruma(9, false, "", 1, 1, 1, ""));
  EXPECT_THAT(Frames(), IsEmpty());
}

// Type 8 knows no method letters: the facade's closing sends the sum paid
// in its one closing command.
TEST_F(Type8OperationsTest, FacadeClosingSendsTheSumPaid) {
  platform::TClientDataSet recebimentos("recebimentos"), movimentos("movimentos");
  // The loading closes the payment types on this model.
  testsupport::FillPaymentTypes(recebimentos, {{"001", "Dinheiro", "1"}, {"002", "Cartao", "D"}});
  Qdm00300::CarregaRec_Daruma(recebimentos);
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 30, 0));
  testsupport::FillMovements(movimentos, {{"E", "001", 10.50, 2}, {"E", "002", 20.00, 1}});
  Mark();
  std::string numero;
  EXPECT_TRUE(Qdm00000::FechaCupom(false, true, 0.25, 0, 0, "S", true, "", movimentos, recebimentos, numero, "", "", "",
                                   "", ""));
  EXPECT_THAT(Frames(), ElementsAre(kEsc + Byte(0xC9) + "0025" + "30,5" + Byte(0xFF)));
  EXPECT_EQ(printer.OpenDocument(), 0);
}

TEST_F(OperationsTest, ReadingsReportsAndStatusCommands) {
  const struct {
    std::function<bool()> call;
    std::string frame;
  } cases[] = {
      {[] { return Qdm00000::Leitura_X("qualquer"); }, kEsc + Byte(0xCF)},
      {[] { return Qdm00000::Memoria_Fiscal("010126", "101226", "s3", "D"); }, kEsc + Byte(0xD1) + "x010126101226"},
      {[] { return Qdm00000::Relatorio_Gerencial(); }, kEsc + Byte(0xD3) + " "},
      {[] { return Qdm00000::ImprimeTextoNaoFiscal("COMPROVANTE TEF"); }, kEsc + Byte(0xD5) + "COMPROVANTE TEF"},
      {[] { return Qdm00000::FechRelatGerenc(false, false); }, kEsc + Byte(0xD4)},
      {[] { return Qdm00000::Leitura_Totais(true, true); }, kEsc + Byte(0xF0)},
      {[] { return Qdm00000::Retorno_Aliquotas(); }, kEsc + Byte(0xE7)},
      {[] { return Qdm00000::Estado_Impressora(true, false); }, Byte(0x1D) + Byte(0xFF)},
      {[] { return Qdm00000::Estado_Gaveta(true, false); }, Byte(0x1D) + Byte(0xFF)},
      {[] { return Qdm00000::Reducao_Z(""); }, kEsc + Byte(0xD0) + "101226000000"},
  };
  for (const auto& c : cases) {
    Mark();
    EXPECT_TRUE(c.call()) << c.frame;
    EXPECT_THAT(Frames(), ElementsAre(c.frame));
  }
  EXPECT_EQ(printer.ReductionCount(), 1);
  EXPECT_THAT(printer.TapeText(), HasSubstr("COMPROVANTE TEF\n"));
}

TEST_F(OperationsTest, RefusedReductionIsReported) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  EXPECT_FALSE(Qdm00000::Reducao_Z(""));
  EXPECT_EQ(printer.ReductionCount(), 0);
}

TEST_F(OperationsTest, CancellationsAndTheRestOfTheContract) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "1", "ITEM", "A", 1, 10, 0));
  ASSERT_TRUE(Qdm00000::VendaItem("", "", "2", "ITEM", "A", 1, 10, 0));
  Mark();
  EXPECT_TRUE(Qdm00000::Cancela_Item_Generico("2", true));
  EXPECT_FALSE(Qdm00000::Cancela_Item_Generico("2", true));
  std::string numero;
  EXPECT_TRUE(Qdm00000::Cancela_Cupom(true, true, numero));
  EXPECT_EQ(numero, ":0000001");
  EXPECT_EQ(CommandBytes(), (std::vector<unsigned char>{0xCD, 0xCD, 0xCE}));
  Mark();
  EXPECT_FALSE(Qdm00000::Sangria(10));
  EXPECT_FALSE(Qdm00000::Acrescimo(1));
  EXPECT_FALSE(Qdm00000::Abre_Gaveta());
  EXPECT_EQ(Qdm00000::DataMoviFiscal(), platform::Date());
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_TRUE(Qdm00000::Config_Forma_Pagamento("PGNBCheque          ", false, false));
  EXPECT_TRUE(Qdm00000::Nomeia_TotParcial("+", "Recarga", util::TamFixo("", 14), "", false, false));
  EXPECT_EQ(CommandBytes(), (std::vector<unsigned char>{0xDA, 0xE2}));
}

TEST_F(OperationsTest, SupplyIsRegisteredOnTheSupplyTotalizer) {
  printer.SetSignedTotalizers("+Suprimento");
  Qdm00300::IdTotParcSup = "A";
  EXPECT_TRUE(Qdm00000::Suprimento(150.75));
  EXPECT_THAT(Frames(), ElementsAre(kEsc + Byte(0xD9) + "A" + "00000000015075"));
  EXPECT_EQ(printer.DayCents(1), 15075);
  Mark();
  EXPECT_FALSE(Qdm00000::Suprimento(0));
  Qdm00300::IdTotParcSup.clear();
  EXPECT_FALSE(Qdm00000::Suprimento(10));
  EXPECT_THAT(Frames(), IsEmpty());
}

TEST_F(OperationsTest, CardVoucherPrintsLineByLineInTheManagementReport) {
  platform::TStringList resposta;
  for (const char* line : {"000-000 = CRT", "001-000 = 1", "028-000 = 2", "029-001 = \"COMPROVANTE DEBITO\"",
                           "029-002 = \"VALOR R$ 20,00\"", "999-999 = 0"})
    resposta.Add(line);
  ASSERT_TRUE(Qdm00000::Relatorio_Gerencial());
  EXPECT_TRUE(Qdm00500::ImprCupom(resposta, 2, false));
  EXPECT_TRUE(Qdm00000::FechRelatGerenc(false, false));
  int texts = 0;
  for (const std::string& f : Frames()) texts += f.size() > 1 && f[1] == '\xD5';
  EXPECT_EQ(texts, 4);
  const std::string tape = printer.TapeText();
  EXPECT_THAT(tape, HasSubstr("COMPROVANTE DEBITO\nVALOR R$ 20,00\nCOMPROVANTE DEBITO\nVALOR R$ 20,00\n"));
  EXPECT_EQ(printer.OpenDocument(), 0);
}

TEST_F(Type8OperationsTest, VoucherTextGoesWithoutCommandByteAndWithoutControlBytes) {
  ASSERT_TRUE(Qdm00000::Relatorio_Gerencial());
  Mark();
  EXPECT_TRUE(Qdm00000::ImprimeTextoNaoFiscal(Byte(0x05) + "LINHA" + kEsc + "1"));
  EXPECT_TRUE(Qdm00000::ImprimeTextoNaoFiscal(""));
  EXPECT_THAT(Frames(), ElementsAre(" LINHA 1", " "));
  EXPECT_THAT(printer.TapeText(), HasSubstr(" LINHA 1\n"));
}

}  // namespace
}  // namespace daruma_test
