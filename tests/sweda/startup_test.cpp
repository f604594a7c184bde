// Start-up through the facade: binding, the port and its traffic, a coupon
// left open, the start-up reading of dates and identity, the Z-reduction
// offer by the day letter, and the tables loaded into the data module.
#include <gmock/gmock.h>

#include "platform/text/datetime.h"
#include "support/payment_types.h"
#include "sweda_fixture.h"

namespace sweda_test {
namespace {

using ::testing::ElementsAre;

using StartupTest = Type3Test;

TEST_P(EveryModelTest, PortOpeningAsksStatusStateAndEndsAnyReport) {
  Qdm00000::StopImpFiscal();
  EXPECT_EQ(printer.ClosedPort(), 1);
  Mark();
  ASSERT_TRUE(Qdm00000::StartImpFiscal(std::to_string(Tipo()), "COM3"));
  EXPECT_TRUE(Qdm00000::ImpFiscalOK());
  EXPECT_EQ(printer.OpenedPort(), 3);
  EXPECT_THAT(Frames(), ElementsAre(Frame("23"), Frame("28"), Frame("12")));
  // The port closed is the one opened.
  Qdm00000::StopImpFiscal();
  EXPECT_EQ(printer.ClosedPort(), 3);
}

TEST_F(StartupTest, CouponLeftOpenIsCancelledAtPortOpening) {
  ASSERT_TRUE(Qdm00200::AbreCupom_Sweda());
  Qdm00000::StopImpFiscal();
  printer.PowerCycle();
  ASSERT_EQ(printer.CouponOpen(), 1);
  Mark();
  ASSERT_TRUE(Qdm00000::StartImpFiscal("3", "COM1"));
  EXPECT_THAT(Frames(), ElementsAre(Frame("23"), Frame("28"), Frame("05"), Frame("12")));
  EXPECT_EQ(printer.CouponOpen(), 0);
}

// A paid coupon cut before its closing, which the printer will not cancel,
// is not closed by the "12" that ends a report left open.
TEST_F(StartupTest, CouponThePrinterWillNotCancelIsLeftOpenNotClosed) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  ASSERT_TRUE(Qdm00000::VendaItem("x", "y", "123", "COCA COLA 2L", "T01", 2, 12.5, 0));
  ASSERT_TRUE(Qdm00000::Totaliza_NFiscal("01", "000000003000"));
  Qdm00000::StopImpFiscal();
  printer.PowerCycle();
  printer.RefuseAt("05", "-P013", "ERRO-CANCELAMENTO NAO PERMITIDO", -1);
  Mark();
  ASSERT_TRUE(Qdm00000::StartImpFiscal("3", "COM1"));
  EXPECT_THAT(Frames(), ElementsAre(Frame("23"), Frame("28"), Frame("05")));
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_EQ(printer.TapeText(), "");
  EXPECT_DOUBLE_EQ(printer.GrandTotal(), 0.0);
}

TEST_F(StartupTest, PortThatDoesNotOpenIsReportedAndTheDriverUnbound) {
  Qdm00000::StopImpFiscal();
  Mark();
  Qdm00000::stPorta = "COM99";
  EXPECT_TRUE(Qdm00000::StartImpFiscal("3", "COM99"));
  EXPECT_EQ(printer.OpenedPort(), 14);  // not in the port table
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ErroPorta")));
  EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! Abrindo porta COM99"));
  EXPECT_THAT(LogLines(), ::testing::Contains("Descarregando DLL Impressora Fiscal"));
  EXPECT_EQ(Qdm00200::SwedaEnviaComando, nullptr);
  EXPECT_FALSE(Qdm00000::Leitura_X(""));
}

TEST_F(StartupTest, LittlePaperAtPortOpeningIsToldOnce) {
  Qdm00000::StopImpFiscal();
  printer.SetPaper(1);
  Mark();
  ASSERT_TRUE(Qdm00000::StartImpFiscal("3", "COM1"));
  EXPECT_TRUE(Qdm00000::ImpFiscalOK());
  EXPECT_THAT(Dialogs(), ElementsAre(Text("PoucoPapel")));
}

TEST_P(EveryModelTest, StartUpReadsDatesIdentityAndTables) {
  printer.SetIdentity("007", "SW7654321");
  platform::TClientDataSet recebimentos{"recebimentos"}, aliquotas{"aliquotas"};
  testsupport::FillPaymentTypes(recebimentos, {{"001", "Dinheiro", "1"}});
  recebimentos.SaveToFile(sandbox.dir.file("tiporece.cds"));

  EXPECT_TRUE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_EQ(Qdm00000::stData, "101226");
  EXPECT_EQ(Qdm00000::stDataAtu, "1012261400");
  EXPECT_EQ(Qdm00000::stRed, "A");
  EXPECT_EQ(Qdm00000::ECF, "007");
  EXPECT_EQ(Qdm00000::SerieECF, "SW7654321");
  // Cash totalizers were missing: programmed, then found.
  EXPECT_EQ(Qdm00200::IdTotParcES, "01");
  EXPECT_EQ(Qdm00200::IdTotParcSup, "02");
  EXPECT_EQ(Qdm00200::IdTotParcSang, "03");
  std::vector<std::string> rates;
  for (aliquotas.First(); !aliquotas.Eof(); aliquotas.Next())
    rates.push_back(aliquotas.FieldByName("CDALIQIMPFIS").AsString() + "=" +
                    aliquotas.FieldByName("VRALIQIMPFIS").AsString());
  EXPECT_THAT(rates, ElementsAre("T01=18", "T02=12", "T03=7", "S04=5", "N=0", "I=0", "F=0"));
}

TEST_F(StartupTest, ZReductionIsOfferedOnlyWhenThePrinterSaysTheDayIsOpen) {
  platform::TClientDataSet recebimentos{"recebimentos"}, aliquotas{"aliquotas"};
  testsupport::FillPaymentTypes(recebimentos, {});
  recebimentos.SaveToFile(sandbox.dir.file("tiporece.cds"));

  // Yesterday without movement: letter "A", no offer.
  printer.SetDay(2026, 12, 9, 0);
  EXPECT_TRUE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_EQ(Qdm00000::stRed, "A");
  EXPECT_THAT(Dialogs(), ::testing::IsEmpty());

  // Yesterday with movement: letter "F"; the operator declines.
  Mark();
  printer.SetDay(2026, 12, 9, 1);
  sandbox.dialogs->Answer(platform::mrNo);
  EXPECT_FALSE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_EQ(Qdm00000::stRed, "F");
  EXPECT_THAT(Dialogs(), ElementsAre(Text("DataFiscalAnterior")));

  // Accepted: the reduction is printed with today's date.
  Mark();
  sandbox.dialogs->Answer(platform::mrYes);
  EXPECT_TRUE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_EQ(printer.ReductionCount(), 1);
  EXPECT_THAT(Frames(), ::testing::Contains(Frame("14", "101226")));
}

// A refused reading keeps what its globals held; the others are still read
// and the start-up goes on.
TEST_F(StartupTest, RefusedReadingKeepsItsGlobalsAndTheOthersAreRead) {
  struct Case {
    const char* refused;  // the command refused ("" every one)
    const char* data;     // stData, stDataAtu, stRed, ECF, SerieECF afterwards
  };
  const Case cases[] = {
      {"273", "101226|1012261400|A|OLD|OLD SERIE"},  // the identity
      {"27", "OLDDAT|1012261400|A|OLD|OLD SERIE"},   // every "27": dates and identity
      {"28", "101226|OLDCLOCK|O|001|SW0012345"},     // the state
      {"", "OLDDAT|OLDCLOCK|O|OLD|OLD SERIE"},       // everything
  };
  for (const Case& c : cases) {
    Qdm00000::stData = "OLDDAT";
    Qdm00000::stDataAtu = "OLDCLOCK";
    Qdm00000::stRed = "O";
    Qdm00000::ECF = "OLD";
    Qdm00000::SerieECF = "OLD SERIE";
    if (*c.refused) {
      printer.RefuseAt(c.refused, "-P010", "ERRO-MEMORIA FISCAL", -1);
    } else {
      printer.Refuse("-P010", "ERRO-MEMORIA FISCAL", -1);
      printer.QueueState("-P010");
    }
    Mark();
    EXPECT_TRUE(Qdm00200::IniciaImp_Sweda()) << c.refused;
    EXPECT_EQ(Qdm00000::stData + "|" + Qdm00000::stDataAtu + "|" + Qdm00000::stRed + "|" + Qdm00000::ECF + "|" +
                  Qdm00000::SerieECF,
              c.data)
        << c.refused;
    // A refusal ends a reading's tries at once: "27" twice, "28", "27" "3"
    // and, with a printer number kept, "27" "3" once more.
    EXPECT_EQ(Frames().size(), 5u) << c.refused;
    printer.RefuseAt(c.refused, "", "", 0);
    printer.Refuse("", "", 0);
  }
}

// The payment types come from "tiporece.cds": without it the start-up ends
// with false, nothing more is loaded and no question is asked.
TEST_F(StartupTest, MissingPaymentTypeFileEndsTheStartUp) {
  platform::TClientDataSet recebimentos{"recebimentos"}, aliquotas{"aliquotas"};
  testsupport::FillPaymentTypes(recebimentos, {});
  EXPECT_FALSE(Qdm00000::IniciaImpressora("PDV", "", recebimentos, aliquotas));
  EXPECT_THAT(Dialogs(), ::testing::IsEmpty());
  EXPECT_THAT(Frames(), ::testing::Not(::testing::Contains(Frame("29", "7"))));
  EXPECT_FALSE(platform::FileExists(sandbox.dir.file("tiporece.cds")));
  EXPECT_THAT(LogLines(), ::testing::Contains(::testing::StartsWith("ERRO!!! " + sandbox.dir.file("tiporece.cds"))));
}

TEST_F(StartupTest, RefusedIdentityReadingStillStartsTheRegister) {
  platform::TClientDataSet recebimentos{"recebimentos"}, aliquotas{"aliquotas"};
  testsupport::FillPaymentTypes(recebimentos, {});
  recebimentos.SaveToFile(sandbox.dir.file("tiporece.cds"));
  printer.RefuseAt("273", "-P010", "ERRO-MEMORIA FISCAL", -1);
  EXPECT_TRUE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_EQ(Qdm00000::stData, "101226");
  EXPECT_EQ(Qdm00000::stDataAtu, "1012261400");
}

}  // namespace
}  // namespace sweda_test
