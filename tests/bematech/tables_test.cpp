// The three table loaders against what the emulated printer holds, and the
// table commands the facade forwards.
#include <gmock/gmock.h>

#include "driver_fixture.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using TotalizerTest = DriverTest;

struct TotalizerCase {
  const char* printer_holds;
  const char* voucher;
  const char* report;
  std::vector<std::vector<std::string>> created;  // "40" arguments
};

TEST_F(TotalizerTest, VoucherAndReportTotalizersAreFoundOrCreated) {
  const TotalizerCase cases[] = {
      {"", "01", "02", {{"01", "CONTRA-VALE EMITIDO"}, {"02", "Relatorios"}}},
      {"SUPRIMENTO\nSANGRIA\nCONTRA-VALE EMITIDO", "03", "04", {{"04", "Relatorios"}}},
      {"Relatorios\nCONTRA-VALE EMITIDO", "02", "01", {}},
  };
  for (const TotalizerCase& c : cases) {
    SCOPED_TRACE(c.printer_holds);
    sandbox.ResetPrinter(printer);
    printer.SetTotalizers(c.printer_holds);
    Mark();
    Qdm00100::CarregaTot_Bematech();
    EXPECT_EQ(Qdm00100::IdTotParcCV, c.voucher);
    EXPECT_EQ(Qdm00100::IdTotRelatorio, c.report);
    std::vector<std::string> expected{Frame("35", {"25"})};
    for (const auto& args : c.created) expected.push_back(Frame("40", args));
    EXPECT_EQ(Frames(), expected);
  }
  // What was created is found the next time.
  Mark();
  Qdm00100::CarregaTot_Bematech();
  EXPECT_EQ(Frames(), std::vector<std::string>{Frame("35", {"25"})});
}

TEST_F(TotalizerTest, RefusedListCreatesNothing) {
  printer.ForceStatus(0, 1, 1);
  Qdm00100::CarregaTot_Bematech();
  EXPECT_THAT(Frames(), ElementsAre(Frame("35", {"25"})));
  EXPECT_EQ(Qdm00100::IdTotParcCV, "");
  EXPECT_EQ(Qdm00100::IdTotRelatorio, "");
}

class RateTest : public DriverTest {
 protected:
  struct Rate {
    std::string codigo;
    double valor;
    std::string tipo;
    bool operator==(const Rate&) const = default;
  };
  static std::vector<Rate> Table() {
    platform::TClientDataSet& ds = Qdm00000::DataModule().cdsAliqImpFis;
    ds.SetIndexName("");
    std::vector<Rate> rates;
    for (ds.First(); !ds.Eof(); ds.Next()) {
      rates.push_back({ds.FieldByName("CDALIQIMPFIS").AsString(), ds.FieldByName("VRALIQIMPFIS").AsFloat(),
                       ds.FieldByName("IDALIQIMPFIS").AsString()});
    }
    return rates;
  }
};

TEST_F(RateTest, RatesAndServiceMapGiveTheTableAndTheUntaxedClasses) {
  printer.SetRates("1800T,0500S,1200T");
  Qdm00100::CarregaAliq_Bematech();
  EXPECT_THAT(Frames(), ElementsAre(Frame("35", {"29"}), Frame("26")));
  EXPECT_EQ(Table(),
            (std::vector<Rate>{
                {"01", 18, "T"}, {"02", 5, "S"}, {"03", 12, "T"}, {"NN", 0, "N"}, {"II", 0, "I"}, {"FF", 0, "F"}}));
}

TEST_F(RateTest, NoRatesOrARefusedAnswerLeaveOnlyTheUntaxedClasses) {
  const std::vector<Rate> untaxed{{"NN", 0, "N"}, {"II", 0, "I"}, {"FF", 0, "F"}};
  printer.SetRates("");
  Qdm00100::CarregaAliq_Bematech();
  EXPECT_EQ(Table(), untaxed);

  printer.SetRates("1800T");
  printer.ForceStatus(0, 1, 1);
  Qdm00100::CarregaAliq_Bematech();
  EXPECT_EQ(Table(), untaxed);
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ComandoNExec")));
}

class PaymentMethodTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    FillPaymentTypes(tipos, {{"001", "Dinheiro", "1"},
                             {"002", "CARTAO CREDITO VISA INTERNACIONAL", "4"},
                             {"003", "VALE REFEICAO", "B"},
                             {"004", "Cheque", "2", "3"}});
  }
  std::string Field(const std::string& cdtiporece, const std::string& field) {
    tipos.SetFiltered(false);
    EXPECT_TRUE(tipos.Locate("CDTIPORECE", {platform::Variant(cdtiporece)}));
    return tipos.FieldByName(field).AsString();
  }
  platform::TClientDataSet tipos{"recebimentos"};
};

TEST_F(PaymentMethodTest, ButtonTypesGetThePrinterNumberAndVoucherFlag) {
  Qdm00100::CarregaRec_Bematech(tipos);
  EXPECT_THAT(Frames(), ElementsAre(Frame("71", {"Dinheiro"}), Frame("71", {"CARTAO CREDITO V"})));
  EXPECT_TRUE(tipos.Filtered());
  EXPECT_EQ(Field("001", "CDFPIMPFIS"), "01");
  EXPECT_EQ(Field("001", "IDEMIVALE"), "S");
  EXPECT_EQ(Field("002", "CDFPIMPFIS"), "02");
  EXPECT_EQ(Field("002", "IDEMIVALE"), "N");
  EXPECT_EQ(Field("003", "CDFPIMPFIS"), "");
  EXPECT_EQ(Field("004", "CDFPIMPFIS"), "");
}

TEST_F(PaymentMethodTest, RefusedProgrammingLeavesTheTypeUnchanged) {
  ASSERT_TRUE(Qdm00100::EnviaComando_Bematech("35", {"14"}, false, false));  // an answer lying about
  printer.ForceStatus(0, 1, 1);
  Qdm00100::CarregaRec_Bematech(tipos);
  EXPECT_EQ(Field("001", "CDFPIMPFIS"), "");
  EXPECT_EQ(Field("001", "IDEMIVALE"), "");
  EXPECT_FALSE(Field("002", "CDFPIMPFIS").empty());
}

TEST_F(PaymentMethodTest, TableCommandsPassTheirArgumentsUnchanged) {
  EXPECT_TRUE(Qdm00100::Config_FormaPg_Bematech("Ticket", false, false));
  EXPECT_TRUE(Qdm00100::Retorno_Aliquotas_Bematech());
  Qdm00100::Nomeia_TotParcial_Bematech("05", "Gorjeta", "", "", false, false);
  EXPECT_THAT(Frames(), ElementsAre(Frame("71", {"Ticket"}), Frame("26"), Frame("40", {"05", "Gorjeta", "", ""})));
}

}  // namespace
}  // namespace bematech_test
