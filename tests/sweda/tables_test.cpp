// The table loaders: the totalizer walk and its two passes of "38", the
// tax rates, and the payment types reconciled with the printer's methods
// in both passes, with "tiporece.cds" read back from disk.
#include <gmock/gmock.h>

#include "sweda_fixture.h"
#include "support/payment_types.h"

namespace sweda_test {
namespace {

using ::testing::ElementsAre;

using TablesTest = Type3Test;

std::vector<std::string> CodesOf(const std::vector<std::string>& frames, const std::string& code) {
  std::vector<std::string> found;
  for (const auto& f : frames)
    if (f.compare(2, code.size(), code) == 0) found.push_back(f);
  return found;
}

TEST_F(TablesTest, TotalizersFoundUnderTheirGroupHeadSendNothing) {
  printer.SetTotalizers("&CAIXA\n+ENTRADA\n-SAIDA\n+OUTRA\n&TOTALIZ\n+Suprimento\n-Sangria\n+QUALQUER");
  Qdm00200::CarregaTot_Sweda();
  EXPECT_EQ(Qdm00200::IdTotParcES, "05");
  EXPECT_EQ(Qdm00200::IdTotParcSup, "06");
  EXPECT_EQ(Qdm00200::IdTotParcSang, "07");
  EXPECT_EQ(Qdm00200::IdTotParcVCons, "");
  EXPECT_THAT(CodesOf(Frames(), "38"), ::testing::IsEmpty());
  EXPECT_EQ(CodesOf(Frames(), "29").size(), 7u);
}

const std::string kAllTotalizers =
    Frame("38", "N&TOTALIZ       +Suprimento    -Sangria       &TOTALIZOUTROS +TotalizVendaCo+Cred Pessoal  ");

TEST_F(TablesTest, MissingTotalizersAreProgrammedThenFound) {
  Qdm00200::IdImpVendCon = "S";
  Qdm00200::CarregaTot_Sweda();
  EXPECT_THAT(CodesOf(Frames(), "38"), ElementsAre(kAllTotalizers));
  EXPECT_EQ(CodesOf(Frames(), "29").size(), 14u);
  EXPECT_EQ(Qdm00200::IdTotParcES, "01");
  EXPECT_EQ(Qdm00200::IdTotParcSup, "02");
  EXPECT_EQ(Qdm00200::IdTotParcSang, "03");
  EXPECT_EQ(Qdm00200::IdTotParcOutr, "04");
  EXPECT_EQ(Qdm00200::IdTotParcVCons, "05");
  EXPECT_EQ(Qdm00200::IdTotCompCred, "06");
}

TEST_F(TablesTest, TotalizersRefusedWhileTheDayIsOpenAreAskedTwiceAtMost) {
  printer.SetDay(2026, 12, 10, 1);
  Qdm00200::IdImpVendCon = "S";
  Qdm00200::CarregaTot_Sweda();
  EXPECT_THAT(CodesOf(Frames(), "38"), ElementsAre(kAllTotalizers, kAllTotalizers));
  EXPECT_EQ(CodesOf(Frames(), "29").size(), 14u);
  EXPECT_EQ(Qdm00200::IdTotParcSup, "");
  EXPECT_EQ(printer.TotalizerTable(), "");
}

TEST_F(TablesTest, FailedReadStopsTheWalkAndProgramsNothing) {
  printer.SetTotalizers("&TOTALIZ\n+Suprimento\n-Sangria");
  printer.RefuseAt("29D", "-P010", "ERRO-MEMORIA FISCAL", -1);
  Qdm00200::CarregaTot_Sweda();
  // Every table is read once, a refusal ending its tries; nothing is
  // walked nor programmed.
  EXPECT_THAT(Frames(), ElementsAre(Frame("29", "7"), Frame("29", "8"), Frame("29", "9"), Frame("29", "A"),
                                    Frame("29", "B"), Frame("29", "C"), Frame("29", "D")));
  EXPECT_EQ(Qdm00200::IdTotParcSup, "");
}

TEST_F(TablesTest, TaxRatesWithTheUntaxedClassesAfterThem) {
  printer.SetRates("A011800,T020700,S030500");
  Qdm00200::CarregaAliq_Sweda();
  platform::TClientDataSet& rates = Qdm00000::DataModule().cdsAliqImpFis;
  std::vector<std::string> rows;
  rates.SetIndexName("");
  for (rates.First(); !rates.Eof(); rates.Next())
    rows.push_back(rates.FieldByName("CDALIQIMPFIS").AsString() + "|" + rates.FieldByName("VRALIQIMPFIS").AsString() +
                   "|" + rates.FieldByName("IDALIQIMPFIS").AsString());
  EXPECT_THAT(rows, ::testing::UnorderedElementsAre("A01|18|A", "T02|7|T", "S03|5|S", "N|0|N", "I|0|I", "F|0|F"));
  EXPECT_THAT(Frames(), ElementsAre(Frame("29", "3"), Frame("29", "4"), Frame("29", "5")));
}

TEST_F(TablesTest, RefusedRateTableTakesNoneOfTheOthersRates) {
  printer.SetRates("T011800,T021200,T030700,S040500,T050400,T061700,T072500");
  printer.RefuseAt("295", "-P010", "ERRO-MEMORIA FISCAL", -1);
  Qdm00200::CarregaAliq_Sweda();
  EXPECT_THAT(Frames(), ElementsAre(Frame("29", "3"), Frame("29", "4"), Frame("29", "5")));
  platform::TClientDataSet& rates = Qdm00000::DataModule().cdsAliqImpFis;
  rates.SetIndexName("");
  std::vector<std::string> codes;
  for (rates.First(); !rates.Eof(); rates.Next()) codes.push_back(rates.FieldByName("CDALIQIMPFIS").AsString());
  EXPECT_THAT(codes, ::testing::UnorderedElementsAre("T01", "T02", "T03", "S04", "T05", "T06", "T07", "N", "I", "F"));

  // Every table refused: the untaxed classes alone.
  printer.Refuse("-P010", "ERRO-MEMORIA FISCAL", -1);
  Qdm00200::CarregaAliq_Sweda();
  EXPECT_EQ(rates.RecordCount(), 3);
  printer.Refuse("", "", 0);
}

// ---- Payment types ----------------------------------------------------------

using testsupport::PaymentType;

class PaymentTest : public SwedaTest {
 protected:
  PaymentTest() : SwedaTest(0) {}

  std::string File() const { return sandbox.dir.file("tiporece.cds"); }

  void WriteTypes(std::initializer_list<PaymentType> types) {
    platform::TClientDataSet ds{"tiporece"};
    testsupport::FillPaymentTypes(ds, types);
    ds.SaveToFile(File());
  }

  // CDFPIMPFIS/IDEMIVALE of every row, read back from the file.
  std::vector<std::string> Numbers() const {
    platform::TClientDataSet ds{"check"};
    ds.LoadFromFile(File());
    std::vector<std::string> rows;
    for (ds.First(); !ds.Eof(); ds.Next())
      rows.push_back(ds.FieldByName("CDFPIMPFIS").AsString() + "/" + ds.FieldByName("IDEMIVALE").AsString());
    return rows;
  }

  void Load() {
    platform::TClientDataSet recebimentos{"recebimentos"};
    Qdm00200::CarregaRec_Sweda(recebimentos);
  }

  bool Wide() const { return Tipo() >= 5; }

  // Dinheiro; Cheque, given change in a "7" type; a "B" row; Cartao ("7");
  // Cred Pessoal ("9").
  void StandardTypes() {
    WriteTypes({{"001", "Dinheiro", "1"},
                {.cdtiporece = "002", .nmtiporece = "Cheque", .idtiporece = "5", .cdtipotroco = "004"},
                {"003", "Vale", "B"},
                {"004", "Cartao", "7"},
                {"005", "Cred Pessoal", "9"}});
  }
};

TEST_P(PaymentTest, FirstPassNumbersInOrderAndProgramsTheNewList) {
  StandardTypes();
  Load();
  const std::string flag = Wide() ? "S" : "";
  const std::string list =
      flag + "Dinheiro       " + flag + "#Cheque        " + flag + "Cartao         " + flag + "Cred Pessoal   ";
  EXPECT_THAT(CodesOf(Frames(), "39"), ElementsAre(Frame("39", list)));
  // The "B" row takes no index.
  EXPECT_THAT(Numbers(), ElementsAre("01/S", "02/S", "/", "03/S", "04/S"));
  EXPECT_EQ(Qdm00200::CdFormPagCPess, "005");
  EXPECT_EQ(Qdm00200::IdFormPagCPess, "04");
  EXPECT_EQ(Qdm00200::DsFormPagCPess, "Cred Pessoal");
  EXPECT_EQ(printer.MethodTable(), "S|Dinheiro\nS|#Cheque\nS|Cartao\nS|Cred Pessoal\n");

  // The printer now holds the same list: nothing is sent again.
  Mark();
  Load();
  EXPECT_THAT(CodesOf(Frames(), "39"), ::testing::IsEmpty());
  EXPECT_THAT(Numbers(), ElementsAre("01/S", "02/S", "/", "03/S", "04/S"));
}

TEST_P(PaymentTest, EqualListsIgnoringCaseAndBlanksSendNothing) {
  WriteTypes({{"001", "Dinheiro", "1"}, {"002", "Cartao", "7"}});
  printer.SetPaymentMethods("S|DINHEIRO\nS|CARTAO");
  Load();
  EXPECT_THAT(CodesOf(Frames(), "39"), ::testing::IsEmpty());
  EXPECT_THAT(Numbers(), ElementsAre("01/S", "02/S"));
}

TEST_P(PaymentTest, RefusedListNumbersByThePrinterInTheSecondPass) {
  StandardTypes();
  printer.SetDay(2026, 12, 10, 1);  // the printer takes no new list
  printer.SetPaymentMethods("N|Dinheiro\nS|#Cartao\nN|Cred Pessoal");
  Load();
  ASSERT_EQ(CodesOf(Frames(), "39").size(), 1u);
  // Dinheiro 01; Cheque ("#Cheque") and Vale absent; Cartao as "#Cartao"
  // 02; Cred Pessoal 03. Flags only on the models that keep them.
  // A row not found keeps the flag of the first pass.
  if (Wide())
    EXPECT_THAT(Numbers(), ElementsAre("01/N", "/S", "/", "02/S", "03/N"));
  else
    EXPECT_THAT(Numbers(), ElementsAre("01/", "/S", "/", "02/", "03/"));
  EXPECT_EQ(Qdm00200::IdFormPagCPess, "03");
}

TEST_P(PaymentTest, FlagOfAMethodAlreadyOnThePrinterIsKeptOnTheWideModels) {
  if (!Wide()) GTEST_SKIP() << "types 3 and 4 keep no flag";
  WriteTypes({{"001", "Dinheiro", "1"}, {"002", "Cartao", "7"}, {"003", "Ticket", "2"}});
  printer.SetPaymentMethods("N|Dinheiro\nN|#Cartao");
  Load();
  // Dinheiro found with "N"; Cartao found after "#", so the flag before
  // it; Ticket is new, "S".
  EXPECT_THAT(Numbers(), ElementsAre("01/N", "02/N", "03/S"));
  EXPECT_THAT(CodesOf(Frames(), "39"), ElementsAre(Frame("39", "NDinheiro       NCartao         STicket         ")));
}

TEST_P(PaymentTest, ConsumerSaleGlobalsAreSetAlsoWhenTheListsAgree) {
  WriteTypes({{"001", "Dinheiro", "1"}, {"010", "Venda Consumidor", "A"}});
  printer.SetDay(2026, 12, 10, 1);
  printer.SetPaymentMethods("S|Dinheiro\nS|Venda Consumido");
  Load();
  EXPECT_EQ(Qdm00200::CdFormPagVCons, "010");
  EXPECT_EQ(Qdm00200::IdFormPagVCons, "02");
  EXPECT_EQ(Qdm00200::DsFormPagVCons, "Venda Consumidor");
}

TEST_P(PaymentTest, ReadFailureKeepsTheFirstPassNumberingAndProgramsNothing) {
  // Either table of methods refused: the other is still read.
  for (const char* refused : {"295", "296"}) {
    StandardTypes();
    Qdm00200::CdFormPagCPess.clear();
    Qdm00200::IdFormPagCPess.clear();
    printer.RefuseAt(refused, "-P010", "ERRO-MEMORIA FISCAL", -1);
    Mark();
    Load();
    EXPECT_THAT(CodesOf(Frames(), "29"), ElementsAre(Frame("29", "5"), Frame("29", "6"))) << refused;
    EXPECT_THAT(CodesOf(Frames(), "39"), ::testing::IsEmpty()) << refused;
    EXPECT_THAT(Numbers(), ElementsAre("01/S", "02/S", "/", "03/S", "04/S")) << refused;
    EXPECT_EQ(Qdm00200::CdFormPagCPess, "005");
    EXPECT_EQ(Qdm00200::IdFormPagCPess, "04");
    EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! Leitura das formas de pagamento"));
    printer.RefuseAt(refused, "", "", 0);
  }
}

TEST_P(PaymentTest, MissingOrUnreadableFileRaisesAndIsNeverWritten) {
  EXPECT_ANY_THROW(Load());
  EXPECT_FALSE(platform::FileExists(File()));
  platform::WriteFileAtomic(File(), "not a dataset");
  EXPECT_ANY_THROW(Load());
  EXPECT_EQ(platform::ReadFileBytes(File()), "not a dataset");
  EXPECT_THAT(CodesOf(Frames(), "39"), ::testing::IsEmpty());
  EXPECT_THAT(LogLines(), ::testing::Contains(::testing::StartsWith("ERRO!!! " + File() + ": ")));
}

INSTANTIATE_TEST_SUITE_P(Models, PaymentTest, ::testing::Values(3, 4, 5, 6));

}  // namespace
}  // namespace sweda_test
