// The printer clock check, the fiscal-day decoding, the difference of two
// moments, the tax-rate lookup and the debug log.
#include <gtest/gtest.h>

#include "facade/Qdm00000.h"
#include "platform/text/datetime.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "tests/facade/facade_fixture.h"

namespace {

using facade_test::Text;
using platform::EncodeDate;
using platform::EncodeTime;
using platform::TDateTime;

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0) { return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0); }

struct ClockCase {
  const char* name;
  TDateTime now;
  std::string texto;  // the printer's clock, DDMMYYhhnn
  std::string stData;
  bool accepted;
  TDateTime fiscal_day;
};

class VerificaDataTest : public facade_test::FacadeTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(VerificaDataTest, ChecksTheClockAndDecodesTheFiscalDay) {
  const ClockCase& c = GetParam();
  platform::clock::SetManual(c.now);
  Qdm00000::stData = c.stData;
  EXPECT_EQ(Qdm00000::VerificaData(c.texto), c.accepted);
  EXPECT_EQ(Qdm00000::dtDate, c.fiscal_day);
  if (c.accepted) {
    EXPECT_TRUE(DialogTexts().empty());
  } else {
    ASSERT_EQ(DialogTexts(), std::vector<std::string>{Text("DataDif")});
    EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  }
}

const TDateTime kDia = EncodeDate(2026, 12, 10);

INSTANTIATE_TEST_SUITE_P(
    Cases, VerificaDataTest,
    ::testing::Values(
        ClockCase{"FifteenMinutesBehind", At(2026, 12, 10, 10, 15), "1012261000", "", true, kDia},
        ClockCase{"SecondsDoNotCount", At(2026, 12, 10, 10, 15, 59), "1012261000", "", true, kDia},
        ClockCase{"SixteenMinutesBehind", At(2026, 12, 10, 10, 16), "1012261000", "", false, kDia},
        ClockCase{"SixteenMinutesAhead", At(2026, 12, 10, 10, 0), "1012261016", "", false, kDia},
        ClockCase{"HoursApart", At(2026, 12, 10, 12, 5), "1012261000", "", false, kDia},
        ClockCase{"AcrossMidnight", At(2026, 12, 11, 0, 5), "101226235530", "", false, EncodeDate(2026, 12, 11)},
        ClockCase{"FiscalDayDecoded", At(2026, 12, 10, 10, 0), "1012261000", "091226", true, EncodeDate(2026, 12, 9)},
        ClockCase{"NoClockTextStillDecodesTheDay", At(2026, 12, 10, 10, 0), "", "091226", true,
                  EncodeDate(2026, 12, 9)},
        ClockCase{"LastYearsFiscalDay", At(2026, 1, 1, 10, 0), "", "311225", true, EncodeDate(2025, 12, 31)},
        ClockCase{"UnreadableClockText", At(2026, 12, 10, 10, 0), "99999999999", "", true, kDia},
        ClockCase{"UnreadableClockTextKeepsTheFiscalDay", At(2026, 12, 10, 10, 0), "99999999999", "091226", true,
                  EncodeDate(2026, 12, 9)},
        ClockCase{"UnreadableFiscalDay", At(2026, 12, 10, 10, 0), "", "AB1226", true, kDia}),
    [](const auto& info) { return std::string(info.param.name); });

struct DifferenceCase {
  TDateTime inicio;
  TDateTime fim;
  const char* expected;
};

class SubtDataHoraTest : public ::testing::TestWithParam<DifferenceCase> {};

TEST_P(SubtDataHoraTest, GivesTheSignedHoursAndMinutes) {
  EXPECT_EQ(Qdm00000::SubtDataHora(GetParam().inicio, GetParam().fim), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SubtDataHoraTest,
                         ::testing::Values(DifferenceCase{At(2026, 12, 10, 10, 0), At(2026, 12, 10, 10, 7), "0:07"},
                                           DifferenceCase{At(2026, 12, 10, 10, 20), At(2026, 12, 10, 10, 0), "-0:20"},
                                           DifferenceCase{At(2026, 12, 10, 23, 55), At(2026, 12, 11, 0, 5), "0:10"},
                                           DifferenceCase{At(2026, 12, 10, 9, 0), At(2026, 12, 11, 11, 30), "26:30"},
                                           DifferenceCase{At(2026, 12, 10, 10, 0, 59), At(2026, 12, 10, 10, 1), "0:01"},
                                           DifferenceCase{At(2026, 12, 10, 10, 0), At(2026, 12, 10, 10, 0), "0:00"}));

class VerificaAliquotaTest : public facade_test::FacadeTest {
 protected:
  VerificaAliquotaTest() {
    platform::TClientDataSet& rates = Qdm00000::DataModule().cdsAliqImpFis;
    facade_test::FillTaxRates(
        rates, {{"01", 18, "T"}, {"02", 7, "T"}, {"03", 5, "S"}, {"FF", 0, "F"}, {"II", 0, "I"}, {"NN", 0, "N"}});
    platform::TClientDataSet& produto = Qdm00000::DataModule().cdsProduto;
    produto.AddFieldDef("CDPRODUTO", platform::TFieldType::ftString, 13);
    produto.AddFieldDef("IDTPIMPOSFIS", platform::TFieldType::ftString, 1);
    produto.AddFieldDef("VRPEALIMPFIS", platform::TFieldType::ftFloat);
    produto.CreateDataSet();
  }
  ~VerificaAliquotaTest() override { Qdm00000::DataModule().cdsProduto.FieldDefs.clear(); }

  std::string Lookup(const std::string& tipo, double taxa) {
    platform::TClientDataSet& produto = Qdm00000::DataModule().cdsProduto;
    produto.EmptyDataSet();
    produto.Append();
    produto.FieldByName("IDTPIMPOSFIS").SetAsString(tipo);
    produto.FieldByName("VRPEALIMPFIS").SetAsFloat(taxa);
    produto.Post();
    return Qdm00000::Verifica_Aliquota("ignorado");
  }
};

TEST_F(VerificaAliquotaTest, FindsThePrintersCodeByKindAndRate) {
  EXPECT_EQ(Lookup("T", 7), "02");
  EXPECT_EQ(Lookup("T", 18), "01");
  EXPECT_EQ(Lookup("S", 5), "03");
  EXPECT_EQ(Lookup("F", 12.5), "FF");  // the rate of an untaxed kind is ignored
  EXPECT_EQ(Lookup("I", 3), "II");
  EXPECT_EQ(Lookup("", 18), "NN");
  EXPECT_EQ(Qdm00000::CdAliq, "NN");
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(VerificaAliquotaTest, MissingRateWarnsOnlyWhenThePrinterIsReady) {
  Qdm00000::CdAliq = "02";
  EXPECT_EQ(Lookup("T", 9), "02");
  EXPECT_EQ(Lookup("t", 18), "02");  // kinds match exactly
  EXPECT_TRUE(DialogTexts().empty());

  Qdm00000::SetImpFiscalOK(true);
  EXPECT_EQ(Lookup("T", 9), " ");
  EXPECT_EQ(Qdm00000::CdAliq, " ");
  ASSERT_EQ(DialogTexts(), std::vector<std::string>{Text("AliqNaoCad")});
  EXPECT_EQ(DialogTexts()[0], "Al\xEDquota n\xE3o cadastrada na impressora fiscal.");
}

class DebugLogTest : public facade_test::FacadeTest {};

TEST_F(DebugLogTest, AppendsOneDatedLinePerCallBesideTheHostProgram) {
  EXPECT_EQ(Qdm00000::DebugLogPath(), sandbox.dir.file("impdebug.txt"));
  Qdm00000::ImpFisDebug("Abrindo porta COM1");
  platform::clock::Advance(61000);
  Qdm00000::ImpFisDebug("Comando : \x1B|19|\x1B");
  EXPECT_EQ(sandbox.DebugLog(), "10/12/2026 14:00:00 - Abrindo porta COM1\r\n"
                                "10/12/2026 14:01:01 - Comando : \x1B|19|\x1B\r\n");
}

TEST_F(DebugLogTest, AnUnwritableLogRaisesToTheCaller) {
  platform::SetHostExecutable(sandbox.dir.file("missing/pdv"));
  EXPECT_THROW(Qdm00000::ImpFisDebug("x"), platform::EInOutError);
}

TEST_F(DebugLogTest, AnUnattendedAnswerLeavesALine) {
  Qdm00000::DataModule();
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
  EXPECT_EQ(util::TouchMessageDlg(Text("ConfLeitX"), platform::mtConfirmation, platform::mbYesNo), platform::mrNo);
  EXPECT_NE(sandbox.DebugLog().find("Leitura X"), std::string::npos);
}

TEST(AjustaZero, PadsWithZerosAndCutsToTheWidth) {
  EXPECT_EQ(Qdm00000::AjustaZero("7", 4), "0007");
  EXPECT_EQ(Qdm00000::AjustaZero("123456", 4), "1234");
  EXPECT_EQ(Qdm00000::AjustaZero("", 2), "00");
  EXPECT_EQ(Qdm00000::AjustaZero("12", 0), "");
}

}  // namespace
