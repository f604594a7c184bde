// The start-up sequence against the emulated printer: the clock check, the
// tables handed to the front end, the overdue fiscal day and the X reading,
// and the stop.
#include <gtest/gtest.h>

#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "platform/text/datetime.h"
#include "support/payment_types.h"
#include "tests/facade/printer_fixture.h"

namespace {

using facade_test::Text;
using platform::EncodeDate;
using platform::EncodeTime;
using platform::mrNo;
using platform::mrYes;
using platform::TDateTime;

class StartUpTest : public facade_test::PrinterTest {
 protected:
  explicit StartUpTest(TDateTime now = EncodeDate(2026, 12, 10) + EncodeTime(14, 0, 0, 0)) : PrinterTest(now) {
    testsupport::FillPaymentTypes(recebimentos, {{"001", "Dinheiro", "1"}});
  }

  bool Inicia(const std::string& semLeituraX = "N") {
    return Qdm00000::IniciaImpressora("PDV", semLeituraX, recebimentos, aliquotas);
  }

  platform::TClientDataSet recebimentos{"recebimentos"};
  platform::TClientDataSet aliquotas{"aliquotas"};
};

TEST_F(StartUpTest, ReadsThePrinterAndHandsTheTaxRatesToTheFrontEnd) {
  printer.SetIdentity("000123", "BE0000000001");
  printer.SetRates("1800T,0700T,0500S");
  printer.SetClock(2026, 12, 10, 13, 45, 0);  // 15 minutes behind
  StartBematech();
  EXPECT_TRUE(Inicia());
  EXPECT_TRUE(DialogTexts().empty());
  EXPECT_EQ(Qdm00000::dtDate, EncodeDate(2026, 12, 10));
  EXPECT_NE(Qdm00000::ECF.find("123"), std::string::npos);
  EXPECT_EQ(Qdm00000::SerieECF, "BE0000000001");
  EXPECT_TRUE(Received("26"));  // the tax-rate table was asked for
  ASSERT_TRUE(aliquotas.Active());
  EXPECT_TRUE(aliquotas.Locate("IDALIQIMPFIS;VRALIQIMPFIS", {std::string("S"), 5.0}));
  EXPECT_EQ(aliquotas.RecordCount(), Qdm00000::DataModule().cdsAliqImpFis.RecordCount());
}

struct ClockCase {
  const char* name;
  TDateTime now;
  int y, mo, d, h, mi;  // the printer's clock
};

class StartUpClockTest : public StartUpTest, public ::testing::WithParamInterface<ClockCase> {
 protected:
  StartUpClockTest() : StartUpTest(GetParam().now) {}
};

TEST_P(StartUpClockTest, RejectsAClockMoreThanFifteenMinutesOffAndLoadsNothing) {
  const ClockCase& c = GetParam();
  printer.SetClock(c.y, c.mo, c.d, c.h, c.mi, 0);
  StartBematech();
  EXPECT_FALSE(Inicia(""));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{Text("DataDif")});
  EXPECT_FALSE(Received("26"));
  EXPECT_FALSE(aliquotas.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartUpClockTest,
    ::testing::Values(
        ClockCase{"SixteenBehind", EncodeDate(2026, 12, 10) + EncodeTime(14, 0, 0, 0), 2026, 12, 10, 13, 44},
        ClockCase{"SixteenAhead", EncodeDate(2026, 12, 10) + EncodeTime(14, 0, 0, 0), 2026, 12, 10, 14, 16},
        ClockCase{"AcrossMidnight", EncodeDate(2026, 12, 11) + EncodeTime(0, 5, 0, 0), 2026, 12, 10, 23, 55}),
    [](const auto& info) { return std::string(info.param.name); });

struct FiscalDayCase {
  const char* name;
  TDateTime now;
  int y, mo, d;  // the printer's open fiscal day
  bool due;
};

class StartUpFiscalDayTest : public StartUpTest, public ::testing::WithParamInterface<FiscalDayCase> {
 protected:
  StartUpFiscalDayTest() : StartUpTest(GetParam().now) {}
};

TEST_P(StartUpFiscalDayTest, OffersTheZReductionOnlyWhenTheDayIsPast) {
  const FiscalDayCase& c = GetParam();
  printer.SetFiscalDay(c.y, c.mo, c.d);
  StartBematech();
  sandbox.dialogs->Answer(mrNo);
  const bool result = Inicia();
  if (c.due) {
    EXPECT_FALSE(result);
    EXPECT_EQ(DialogTexts(), std::vector<std::string>{Text("DataFiscalAnterior")});
    EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtInformation);
    EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbYesNo);
  } else {
    EXPECT_TRUE(result);
    EXPECT_TRUE(DialogTexts().empty());
  }
  EXPECT_FALSE(Received("05"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartUpFiscalDayTest,
    ::testing::Values(
        FiscalDayCase{"Today", EncodeDate(2026, 12, 10) + EncodeTime(23, 0, 0, 0), 2026, 12, 10, false},
        FiscalDayCase{"YesterdayAt0159", EncodeDate(2026, 12, 11) + EncodeTime(1, 59, 0, 0), 2026, 12, 10, false},
        FiscalDayCase{"YesterdayAt0200", EncodeDate(2026, 12, 11) + EncodeTime(2, 0, 0, 0), 2026, 12, 10, true},
        FiscalDayCase{"TwoDaysBackAt0030", EncodeDate(2026, 12, 12) + EncodeTime(0, 30, 0, 0), 2026, 12, 10, true}),
    [](const auto& info) { return std::string(info.param.name); });

class StartUpOverdueTest : public StartUpTest {
 protected:
  StartUpOverdueTest() : StartUpTest(EncodeDate(2026, 12, 11) + EncodeTime(9, 0, 0, 0)) {
    printer.SetFiscalDay(2026, 12, 10);
    StartBematech();
  }
};

TEST_F(StartUpOverdueTest, RefusedZStillAsksForTheXReading) {
  sandbox.dialogs->AnswerMany({mrNo, mrNo});
  EXPECT_FALSE(Inicia(""));
  EXPECT_EQ(DialogTexts(), (std::vector<std::string>{Text("DataFiscalAnterior"), Text("ConfLeitX")}));
  EXPECT_FALSE(Received("05"));
  EXPECT_FALSE(Received("06"));
}

TEST_F(StartUpOverdueTest, AcceptedZIsPrinted) {
  const int reducoes = printer.ReductionCount();
  sandbox.dialogs->Answer(mrYes);
  Inicia();
  EXPECT_TRUE(Received("05"));
  EXPECT_EQ(printer.ReductionCount(), reducoes + 1);
  EXPECT_EQ(DialogTexts().front(), Text("DataFiscalAnterior"));
}

class StartUpLeituraXTest : public StartUpTest {};

TEST_F(StartUpLeituraXTest, PrintedWhenTheOperatorSaysYes) {
  StartBematech();
  sandbox.dialogs->Answer(mrYes);
  EXPECT_TRUE(Inicia(""));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{Text("ConfLeitX")});
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtConfirmation);
  EXPECT_EQ(printer.FramesOf("06").size(), 1u);
}

TEST_F(StartUpLeituraXTest, SkippedWhenTheOperatorSaysNo) {
  StartBematech();
  sandbox.dialogs->Answer(mrNo);
  EXPECT_TRUE(Inicia(""));
  EXPECT_FALSE(Received("06"));
}

TEST_F(StartUpLeituraXTest, AFailedReadingEndsWithTheCommandError) {
  StartBematech();
  sandbox.dialogs->Answer(mrYes);
  sandbox.dialogs->on_show = [this](const platform::RecordedDialog& d) {
    if (d.text == Text("ConfLeitX")) printer.RefuseTransmission(-1);
  };
  EXPECT_FALSE(Inicia(""));
  printer.RefuseTransmission(0);
  ASSERT_FALSE(DialogTexts().empty());
  EXPECT_EQ(DialogTexts().back(), Text("ErroComando"));
  EXPECT_EQ(sandbox.dialogs->Seen().back().type, platform::mtError);
}

class PortTest : public facade_test::PrinterTest {};

TEST_F(PortTest, AbrePortaOpensTheDriversPortOnTheDefaultIndex) {
  StartBematech();
  EXPECT_EQ(Qdm00000::DataModule().IdPortaImpFis, 0);
  EXPECT_TRUE(Qdm00000::AbrePorta("COM1"));
  EXPECT_EQ(Qdm00000::DataModule().IdPortaImpFis, 1);
  EXPECT_EQ(Codes().front(), "19");
}

TEST_F(PortTest, StopClosesThePortAndUnbindsTheDriver) {
  Qdm00000::stPorta = "COM1";
  ASSERT_TRUE(Qdm00000::StartImpFiscal("1", "COM1"));
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());  // the front end sets it for Bematech
  Qdm00000::SetImpFiscalOK(true);
  const std::string antes = sandbox.DebugLog();

  Qdm00000::StopImpFiscal();
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 1);
  EXPECT_EQ(Qdm00100::BemaFormataTX, nullptr);
  EXPECT_EQ(sandbox.DebugLog().substr(antes.size()), "10/12/2026 14:00:00 - Fechando porta\r\n"
                                                     "10/12/2026 14:00:00 - Fechando porta COM1\r\n"
                                                     "10/12/2026 14:00:00 - Descarregando DLL Impressora Fiscal\r\n");
}

}  // namespace
