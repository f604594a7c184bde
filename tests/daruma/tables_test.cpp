// Table loading: totalizers found or programmed with letters that no
// payment type of "tiporece.cds" uses, payment-method letters in both
// passes, and the tax rates.
#include <gmock/gmock.h>

#include <set>

#include "daruma_fixture.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "support/payment_types.h"
#include "utility/utility.h"

namespace daruma_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using testsupport::PaymentType;

class TablesTest : public DarumaTest {
 protected:
  explicit TablesTest(int tipo = 7) : DarumaTest(tipo) {}
  // The parameter of every 0xE2 sent.
  std::vector<std::string> Programmed() const {
    std::vector<std::string> found;
    for (const std::string& f : Frames())
      if (f.size() > 2 && f[1] == '\xE2') found.push_back(f.substr(2));
    return found;
  }
  static std::string Name(const char* sign, const char* key) {
    return sign + util::TamFixo(facade_test::Text(key), 21);
  }
};

TEST_F(TablesTest, ProximaLetraSkipsTheLettersOfThePaymentTypeFile) {
  WriteTipoRece({{"1", "Dinheiro", "1", "5", "A"}, {"2", "Cheque", "4", "5", "B"}, {"3", "Cartao", "2", "5", "D"}});
  EXPECT_EQ(Qdm00300::ProximaLetra('A'), 'C');
  EXPECT_EQ(Qdm00300::ProximaLetra('D'), 'E');
  std::vector<PaymentType> all;
  for (char c = 'A'; c <= 'Q'; ++c) all.push_back({"1", "X", "1", "5", std::string(1, c)});
  WriteTipoRece(all);
  EXPECT_EQ(Qdm00300::ProximaLetra('C'), 'C');  // all used: the start letter
}

// The front end keeps the payment-type file; without it the start-up ends
// with false, and says why once.
TEST_F(TablesTest, MissingPaymentTypeFileEndsTheStartUp) {
  Start();
  platform::TClientDataSet recebimentos("recebimentos"), aliquotas("aliquotas");
  DefinePaymentTypeFields(recebimentos);
  recebimentos.CreateDataSet();
  EXPECT_FALSE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  int lines = 0;
  for (const std::string& line : LogLines()) lines += line == "ERRO!!! Arquivo nao encontrado: " + TipoRecePath();
  EXPECT_EQ(lines, 1);
  EXPECT_ANY_THROW(Qdm00300::ProximaLetra('B'));
}

TEST_F(TablesTest, SupplyFoundAtThirdEntryIsNotProgrammedAgain) {
  printer.SetSignedTotalizers("+VENDAS A PRAZO\n-PAGAMENTOS\n+SUPRIMENTO\n-SANGRIA");
  printer.SetNamedTotalizers("CONTRA-VALE EMITIDO\nRelatorio Gerencial\nCred Pessoal\nTef");
  WriteTipoRece({{"1", "Dinheiro", "1", "5", "A"}});
  Start();
  Qdm00300::CarregaTot_Daruma();
  EXPECT_EQ(Qdm00300::IdTotParcSup, "C");
  EXPECT_EQ(Qdm00300::IdTotParcSang, "D");
  EXPECT_EQ(Qdm00300::IdTotParcCV, "A");
  EXPECT_EQ(Qdm00300::IdTotRelatGer, "B");
  EXPECT_EQ(Qdm00300::IdTotCompCred, "C");
  EXPECT_EQ(Qdm00300::IdTotTef, "D");
  EXPECT_THAT(Programmed(), IsEmpty());
  EXPECT_EQ(CommandBytes(), (std::vector<unsigned char>{0xEE, 0xEE}));
}

TEST_F(TablesTest, MissingTotalizersAreProgrammedAndTheirLettersReadBack) {
  Qdm00300::IdImpVendCon = "S";
  WriteTipoRece({{"1", "Dinheiro", "1", "5", "A"}, {"2", "Cheque", "4", "5", "B"}});
  printer.SetSignedTotalizers("+VENDAS A PRAZO");
  Start();
  Qdm00300::CarregaTot_Daruma();
  EXPECT_THAT(Programmed(),
              ElementsAre(Name("+", "Suprimento"), Name("-", "Sangria"), Name("+", "VENDA-CONS"),
                          Name("V", "CV-EMITIDO"), Name("V", "RELAT-GER"), Name("V", "TEF"), Name("V", "Compra-Cred")));
  // The printer put them after what it held: its letters, not the picked ones.
  EXPECT_EQ(Qdm00300::IdTotParcSup, "B");
  EXPECT_EQ(Qdm00300::IdTotParcSang, "C");
  EXPECT_EQ(Qdm00300::IdTotParcVCons, "D");
  EXPECT_EQ(Qdm00300::IdTotParcCV, "A");
  EXPECT_EQ(Qdm00300::IdTotRelatGer, "B");
  EXPECT_EQ(Qdm00300::IdTotTef, "C");
  EXPECT_EQ(Qdm00300::IdTotCompCred, "D");
  // Found the next time, nothing programmed.
  Mark();
  Qdm00300::CarregaTot_Daruma();
  EXPECT_THAT(Programmed(), IsEmpty());
  EXPECT_EQ(Qdm00300::IdTotTef, "C");
}

// Neither supply nor withdrawal on the printer: both are given the letter
// ProximaLetra answers from "A", and programmed supply first. That letter
// stands only while the printer's table cannot be read again.
TEST_F(TablesTest, BothMissingTotalizersTakeProximaLetrasLetterUntilThePrinterTellsItsOwn) {
  WriteTipoRece({{"1", "Dinheiro", "1", "5", "A"}, {"2", "Cheque", "4", "5", "B"}});
  Start();
  // The table, two names programmed, then the table again is refused.
  printer.AnswerErrorAfter(3, 10, 1);
  Qdm00300::CarregaTot_Daruma();
  EXPECT_THAT(Programmed(), ElementsAre(Name("+", "Suprimento"), Name("-", "Sangria")));
  EXPECT_EQ(Qdm00300::IdTotParcSup, "C");
  EXPECT_EQ(Qdm00300::IdTotParcSang, "C");
}

TEST_F(TablesTest, ConsumerSaleTotalizerIsRecognisedWhetherWantedOrNot) {
  printer.SetSignedTotalizers("+SUPRIMENTO\n-SANGRIA\n+VENDA CONSUMIDOR");
  WriteTipoRece({});
  Start();
  ASSERT_EQ(Qdm00300::IdImpVendCon, "");
  Qdm00300::CarregaTot_Daruma();
  EXPECT_EQ(Qdm00300::IdTotParcVCons, "C");
  for (const std::string& name : Programmed()) EXPECT_EQ(name[0], 'V');
}

TEST_F(TablesTest, UnreadableTableProgramsNothing) {
  Start();
  printer.AnswerError(10, 1);
  Qdm00300::CarregaTot_Daruma();
  EXPECT_THAT(CommandBytes(), ElementsAre(0xEE));
  EXPECT_EQ(Qdm00300::IdTotParcSup, "");
}

TEST_F(TablesTest, PaymentLettersAreThePrintersPlacesAndMissingOnesProgrammed) {
  printer.SetPaymentMethods("NDinheiro\nVCheque\nNCartao Debito\nNTicket");
  WriteTipoRece({});
  Start();
  platform::TClientDataSet recebimentos("recebimentos");
  // The file lists the methods in another order than the printer, and one
  // name in another case: each takes the place its name has on the
  // printer, and none is programmed twice.
  testsupport::FillPaymentTypes(recebimentos, {{"03", "Cartao Debito", "2"},
                                               {"01", "DINHEIRO", "1"},
                                               {"99", "Troco", "B"},
                                               {"02", "Cheque", "4"},
                                               {"05", "Ticket", "4"},
                                               {"07", "Convenio", "9"},
                                               {"08", "Venda Consumidor", "A"}});
  Qdm00300::CarregaRec_Daruma(recebimentos);
  std::vector<std::string> letras, vales;
  for (recebimentos.First(); !recebimentos.Eof(); recebimentos.Next()) {
    letras.push_back(recebimentos.FieldByName("CDFPIMPFIS").AsString());
    vales.push_back(recebimentos.FieldByName("IDEMIVALE").AsString());
  }
  EXPECT_THAT(letras, ElementsAre("C", "A", "", "B", "D", "E", "F"));
  EXPECT_THAT(vales, ElementsAre("N", "N", "", "S", "N", "S", "S"));
  // The voucher-issuing kind without its flag gets it at its own letter;
  // the two the printer lacked are programmed after what it holds.
  std::vector<std::string> programmed;
  for (const std::string& f : Frames())
    if (f.size() > 2 && f[1] == '\xDA') programmed.push_back(f.substr(2));
  EXPECT_THAT(programmed, ElementsAre("PGVD" + util::TamFixo("Ticket", 16), "PGVE" + util::TamFixo("Convenio", 16),
                                      "PGVF" + util::TamFixo("Venda Consumidor", 16)));
  EXPECT_EQ(Qdm00300::CdFormPagCPess, "07");
  EXPECT_EQ(Qdm00300::DsFormPagCPess, "Convenio");
  EXPECT_EQ(Qdm00300::CdFormPagVCons, "08");
  EXPECT_EQ(printer.Table(2), "NDinheiro\nVCheque\nNCartao Debito\nVTicket\nVConvenio\nVVenda Consumidor");
  EXPECT_TRUE(recebimentos.Active());
}

TEST_F(TablesTest, PaymentTypeFileIsReadAndNeverWritten) {
  printer.SetPaymentMethods("NDinheiro");
  WriteTipoRece({{"01", "Dinheiro", "1"}, {"02", "Cheque", "4"}});
  const std::string before = platform::ReadFileBytes(TipoRecePath());
  Start();
  platform::TClientDataSet recebimentos("recebimentos");
  recebimentos.FileName = TipoRecePath();
  recebimentos.Open();
  Qdm00300::CarregaRec_Daruma(recebimentos);
  std::vector<std::string> letras;
  for (recebimentos.First(); !recebimentos.Eof(); recebimentos.Next())
    letras.push_back(recebimentos.FieldByName("CDFPIMPFIS").AsString());
  EXPECT_THAT(letras, ElementsAre("A", "B"));
  EXPECT_EQ(platform::ReadFileBytes(TipoRecePath()), before);
}

// The goods tax's rates are the letters A to Q; every other code, upper case
// past Q included, is a rate of the service tax.
TEST_F(TablesTest, RateKindGoodsForAToQServicesOtherwiseEmptySlotsSkipped) {
  printer.SetRates("T1800,s0500,B1225,Q0700,R0300");
  Start();
  Qdm00300::CarregaAliq_Daruma();
  platform::TClientDataSet& rates = Qdm00000::DataModule().cdsAliqImpFis;
  std::vector<std::string> rows;
  for (rates.First(); !rates.Eof(); rates.Next())
    rows.push_back(rates.FieldByName("CDALIQIMPFIS").AsString() + " " +
                   platform::FormatFloat("0.00", rates.FieldByName("VRALIQIMPFIS").AsFloat()) + " " +
                   rates.FieldByName("IDALIQIMPFIS").AsString());
  EXPECT_THAT(rows, ::testing::UnorderedElementsAre("T 18,00 S", "s 5,00 S", "B 12,25 T", "Q 7,00 T", "R 3,00 S",
                                                    "N 0,00 N", "I 0,00 I", "F 0,00 F"));
  EXPECT_EQ(CommandBytes(), std::vector<unsigned char>{0xE7});
}

TEST_F(TablesTest, RefusedRateQuestionLeavesOnlyTheUntaxedRows) {
  Start();
  printer.AnswerError(10, 1);
  Qdm00300::CarregaAliq_Daruma();
  EXPECT_EQ(Qdm00000::DataModule().cdsAliqImpFis.RecordCount(), 3);
}

class Type8TablesTest : public TablesTest {
 protected:
  Type8TablesTest() : TablesTest(8) {}
};

TEST_F(Type8TablesTest, CreditNoteTotalizerFoundAndNothingProgrammed) {
  printer.SetSignedTotalizers("+SUPRIMENTO\n+CONTRA-VALE");
  Start();
  Qdm00300::CarregaTot_Daruma();
  EXPECT_EQ(Qdm00300::IdTotParcCV, "B");
  EXPECT_EQ(CommandBytes(), std::vector<unsigned char>{0xEE});
}

TEST_F(Type8TablesTest, PaymentTypesAreReadWithoutPrinterTraffic) {
  Start();
  platform::TClientDataSet recebimentos("recebimentos");
  testsupport::FillPaymentTypes(recebimentos, {{"07", "Convenio da Empresa XYZ", "9"}, {"08", "Consumidor", "A"}});
  Qdm00300::CdFormPagCPess = "old";
  Qdm00300::CarregaRec_Daruma(recebimentos);
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_FALSE(recebimentos.Active());
  EXPECT_EQ(Qdm00300::CdFormPagCPess, "07");
  EXPECT_EQ(Qdm00300::DsFormPagCPess, "Convenio da Empre");
  EXPECT_EQ(Qdm00300::CdFormPagVCons, "08");
}

}  // namespace
}  // namespace daruma_test
