// Readings, the management report, cash supply and withdrawal, and the
// date of the fiscal movement.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "platform/text/datetime.h"
#include "platform/dialogs/dialogs.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ReportTest = DriverTest;

TEST_F(ReportTest, ReadingsAndManagementReportFrames) {
  EXPECT_TRUE(Qdm00100::Leitura_X_Bematech("ignored"));
  EXPECT_TRUE(Qdm00100::RelGerencial_Bematech());
  EXPECT_TRUE(Qdm00100::Usa_CompNFis_Bematech("TEXTO LIVRE\n"));
  EXPECT_TRUE(Qdm00100::FechRelatGerenc_Bematech(true, false));
  EXPECT_TRUE(Qdm00100::Leitura_Totais_Bematech(true, false));
  Qdm00100::Memoria_Fiscal_Bematech("011226", "101226", "x");
  EXPECT_TRUE(Qdm00100::Reducao_Z_Bematech("ignored"));
  EXPECT_THAT(Frames(), ElementsAre(Frame("06"), Frame("20", {" "}), Frame("67", {"TEXTO LIVRE\n"}), Frame("21"),
                                    Frame("27"), Frame("08", {"011226", "101226", "x"}), Frame("05")));
  EXPECT_EQ(printer.ReductionCount(), 1);
}

struct CashCase {
  bool suprimento;
  double valor;
  std::vector<std::string> args;
};

TEST_F(ReportTest, SupplyAndWithdrawalAsReceiptsNeverOfZero) {
  const CashCase cases[] = {
      {true, 150.00, {"SU", "00000000015000"}},
      {false, 0, {"SA", "00000000000001"}},
      {false, 20.5, {"SA", "00000000002050"}},
  };
  for (const CashCase& c : cases) {
    SCOPED_TRACE(c.args[1]);
    Mark();
    EXPECT_TRUE(c.suprimento ? Qdm00100::Suprimento_Bematech(c.valor) : Qdm00100::Sangria_Bematech(c.valor));
    EXPECT_THAT(Frames(), ElementsAre(Frame("25", c.args)));
    EXPECT_THAT(Dialogs(), IsEmpty());
  }
}

TEST_F(ReportTest, RefusedOrUnfitWithdrawalAnswersFalse) {
  printer.RefuseTransmission(1);
  EXPECT_FALSE(Qdm00100::Sangria_Bematech(10));
  ASSERT_FALSE(sandbox.dialogs->Seen().empty());
  EXPECT_EQ(sandbox.dialogs->Seen().back().text, Text("ErroComando"));
  EXPECT_EQ(sandbox.dialogs->Seen().back().type, platform::mtError);

  Mark();
  EXPECT_FALSE(Qdm00100::Suprimento_Bematech(-5));
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_THAT(Dialogs(), ElementsAre("Valor fora do formato da impressora fiscal."));
}

TEST_F(ReportTest, MovementDateIsThePrintersFiscalDayOrToday) {
  printer.SetFiscalDay(2026, 12, 9);
  EXPECT_EQ(Qdm00100::DataMov_Bematech(), platform::EncodeDate(2026, 12, 9));
  EXPECT_THAT(Frames(), ElementsAre(Frame("35", {"27"})));

  printer.ForceStatus(0, 1, 1);
  EXPECT_EQ(Qdm00100::DataMov_Bematech(), platform::EncodeDate(2026, 12, 10));

  printer.SetFiscalDay(0, 0, 0);
  EXPECT_EQ(Qdm00100::DataMov_Bematech(), platform::EncodeDate(2026, 12, 10));
}

}  // namespace
}  // namespace bematech_test
