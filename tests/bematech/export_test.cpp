// The Z-reduction export: the printer's own report of its last Z read back
// into the four datasets, against the figures the emulated printer totalled.
#include <gmock/gmock.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver_fixture.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/base/errors.h"
#include "platform/text/datetime.h"

namespace bematech_test {
namespace {

using ::testing::HasSubstr;

struct ExportSets {
  platform::TClientDataSet reducao{"reducao"};
  platform::TClientDataSet formas{"formas"};
  platform::TClientDataSet impostos{"impostos"};
  platform::TClientDataSet totais{"totais"};
};

// A day of 25.00 (cash 20.00, card 5.00) on a taxed rate and a service
// rate, a supply of 3.00, then the Z reduction.
class ExportTest : public DriverTest {
 protected:
  // The report lands in the current directory, as the maker's library
  // writes it: the sandbox's own.
  testsupport::InDirectory here{sandbox.dir.path()};

  void SetUp() override {
    DriverTest::SetUp();
    printer.SetRates("1800T,0500S");
    printer.SetPaymentMethods("Dinheiro\nCartao\nVale");
    Qdm00000::ECF = "007";
    Qdm00100::CarregaTot_Bematech();
    // "Vale" (03) is not among the shop's payment types.
    FillPaymentTypes(tipos, {{"001", "Dinheiro", "1", "5", "01"}, {"002", "Cartao", "4", "5", "02"}});
  }

  void SellAndReduce() {
    ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "ARROZ", "01", 2, 10, 0));
    ASSERT_TRUE(Qdm00100::VendaItem_Bematech("2", "SERVICO", "02", 1, 5, 0));
    platform::TClientDataSet movimentos{"movimentos"};
    FillMovements(movimentos, {{"E", "001", 20.00, 1.0}, {"E", "002", 5.00, 2.0}});
    std::string numero;
    ASSERT_TRUE(Qdm00100::FechaCupom_Bematech(false, true, 0, 0, 0, "N", false, "", movimentos, tipos, numero, "", "",
                                              "", "", ""));
    ASSERT_TRUE(Qdm00100::Suprimento_Bematech(3));
    ASSERT_TRUE(Qdm00100::Reducao_Z_Bematech(""));
    Mark();
  }

  bool Export() { return Qdm00100::ExportRedZ_Bematech(tipos, sets.reducao, sets.formas, sets.impostos, sets.totais); }

  platform::TClientDataSet tipos{"tipos"};
  ExportSets sets;
};

TEST_F(ExportTest, ReadsBackTheFiguresOfThePrintersLastReduction) {
  SellAndReduce();
  ASSERT_TRUE(Export());

  platform::TClientDataSet& z = sets.reducao;
  ASSERT_EQ(z.RecordCount(), 1);
  EXPECT_EQ(z.FieldByName("NRECFREDZ").AsString(), "007");
  EXPECT_EQ(z.FieldByName("NRREDREDZ").AsString(), "0001");
  EXPECT_EQ(z.FieldByName("NRPRIMCFREDZ").AsString(), "000001");
  EXPECT_DOUBLE_EQ(z.FieldByName("VRGTREDZ").AsFloat(), 25.00);
  EXPECT_DOUBLE_EQ(z.FieldByName("VRVENBRUREDZ").AsFloat(), 25.00);
  EXPECT_DOUBLE_EQ(z.FieldByName("VRISSREDZ").AsFloat(), 0.25);
  EXPECT_DOUBLE_EQ(z.FieldByName("VRVENLIQREDZ").AsFloat(), 25.00);
  EXPECT_DOUBLE_EQ(z.FieldByName("VRTOTACRREDZ").AsFloat(), 0);
  EXPECT_EQ(z.FieldByName("QTTEMLIGREDZ").AsString(), "080000");

  // Cash and card only: "Vale" is no payment type of the shop.
  platform::TClientDataSet& f = sets.formas;
  ASSERT_EQ(f.RecordCount(), 2);
  f.First();
  EXPECT_EQ(f.FieldByName("CDTIPORECE").AsString(), "001");
  EXPECT_EQ(f.FieldByName("CDTPRECEORIG").AsString(), "001");
  EXPECT_DOUBLE_EQ(f.FieldByName("VRFORMPGTORZ").AsFloat(), 20.00);
  f.Next();
  EXPECT_EQ(f.FieldByName("CDTIPORECE").AsString(), "002");
  EXPECT_DOUBLE_EQ(f.FieldByName("VRFORMPGTORZ").AsFloat(), 5.00);

  // Taxed rows first, then the service rows.
  platform::TClientDataSet& i = sets.impostos;
  ASSERT_EQ(i.RecordCount(), 2);
  i.First();
  EXPECT_EQ(i.FieldByName("IDTPIMPREDZ").AsString(), "T");
  EXPECT_DOUBLE_EQ(i.FieldByName("VRALIQIMPRZ").AsFloat(), 18.00);
  EXPECT_DOUBLE_EQ(i.FieldByName("VRBCALCIMPRZ").AsFloat(), 20.00);
  EXPECT_DOUBLE_EQ(i.FieldByName("VRIMPOSTORZ").AsFloat(), 3.60);
  i.Next();
  EXPECT_EQ(i.FieldByName("IDTPIMPREDZ").AsString(), "S");
  EXPECT_DOUBLE_EQ(i.FieldByName("VRBCALCIMPRZ").AsFloat(), 5.00);

  // The day's supply and withdrawal lead the non-fiscal totalizers, as on
  // the Z's tape.
  platform::TClientDataSet& t = sets.totais;
  ASSERT_GE(t.RecordCount(), 2);
  t.First();
  EXPECT_EQ(t.FieldByName("NRTOTNFISCRZ").AsString(), "SU");
  EXPECT_EQ(platform::Trim(t.FieldByName("DSTOTNFISCRZ").AsString()), "SUPRIMENTO");
  EXPECT_EQ(t.FieldByName("NRCONTOTNFIS").AsString(), "0001");
  EXPECT_DOUBLE_EQ(t.FieldByName("VRACUTOTNFIS").AsFloat(), 3.00);
  t.Next();
  EXPECT_EQ(t.FieldByName("NRTOTNFISCRZ").AsString(), "SA");
  EXPECT_DOUBLE_EQ(t.FieldByName("VRACUTOTNFIS").AsFloat(), 0);

  // One date query per record written, all of them the printer's "35|27".
  const int records = z.RecordCount() + f.RecordCount() + i.RecordCount() + sets.totais.RecordCount();
  EXPECT_EQ(printer.FramesOf("35").size(), static_cast<std::size_t>(records + 1))
      << "the discarded payment method asked for its date too";
  EXPECT_EQ(printer.FramesOf("69").size(), 1u);
  EXPECT_EQ(z.FieldByName("DTREDUCAOZ").AsDateTime(), Qdm00100::DataMov_Bematech());
}

struct LayoutCase {
  int tipo;
  bool restaurant_printer;
  bool whole;  // the report read to its end
  double liquida;
};

TEST_F(ExportTest, RestaurantModelReadsNetSalesAndSurchargesOneLineLower) {
  const LayoutCase cases[] = {
      {1, false, true, 25.00},
      {2, false, true, 25.00},
      {9, true, true, 25.00},
      // A type-9 reading of a retail report takes the surcharges for net
      // sales and the next section's header for the surcharges: no export.
      {9, false, false, 0},
  };
  SellAndReduce();
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.tipo);
    printer.SetRestaurantModel(c.restaurant_printer ? 1 : 0);
    Qdm00000::IdTipoImpFis = c.tipo;
    ExportSets fresh;
    EXPECT_EQ(Qdm00100::ExportRedZ_Bematech(tipos, fresh.reducao, fresh.formas, fresh.impostos, fresh.totais), c.whole);
    EXPECT_DOUBLE_EQ(fresh.reducao.FieldByName("VRVENLIQREDZ").AsFloat(), c.liquida);
    EXPECT_DOUBLE_EQ(fresh.reducao.FieldByName("VRGTREDZ").AsFloat(), 25.00);
    if (c.whole) {
      EXPECT_DOUBLE_EQ(fresh.reducao.FieldByName("VRTOTACRREDZ").AsFloat(), 0);
    }
  }
}

struct RefusedCase {
  const char* why;
  bool earlier_z;  // a report of an earlier Z lies in the directory
};

TEST_F(ExportTest, WhenThePrinterWritesNoReportNothingIsExported) {
  const RefusedCase cases[] = {{"no Z yet", false}, {"the report of an earlier Z left", true}};
  for (const RefusedCase& k : cases) {
    SCOPED_TRACE(k.why);
    std::remove("mp20fi.ret");
    if (k.earlier_z) {
      SellAndReduce();
      ASSERT_TRUE(Export());
      printer.FailCommand("69", 0, 0x01, 0, 1);
    }
    Mark();
    ExportSets fresh;
    FillPaymentTypes(fresh.formas, {{"999", "Antigo", "1"}});
    EXPECT_FALSE(Qdm00100::ExportRedZ_Bematech(tipos, fresh.reducao, fresh.formas, fresh.impostos, fresh.totais));
    EXPECT_EQ(fresh.formas.RecordCount(), 1);
    EXPECT_EQ(fresh.formas.FieldByName("CDTIPORECE").AsString(), "999");
    EXPECT_EQ(fresh.reducao.FieldDefs.size(), 0u);
    EXPECT_EQ(LogLines().back(), "ERRO!!! ExportRedZ: relat\xF3rio da redu\xE7\xE3o recusado pela impressora");
    EXPECT_FALSE(platform::FileExists("mp20fi.ret")) << "the old report is gone";
  }
}

TEST_F(ExportTest, ReportAboveItsBoundIsRefusedUnreadNamingIt) {
  SellAndReduce();
  // A report past its bound (1 MB) is refused before it is read.
  printer.SetReportText(
      ("-------------------CONTADORES-------------------\n" + std::string(std::size_t{2} << 20, ' ')).c_str());
  try {
    Export();
    ADD_FAILURE() << "a report of 100 MB was taken";
  } catch (const platform::EInOutError& e) {
    EXPECT_THAT(e.Message(), HasSubstr("mp20fi.ret"));
    EXPECT_THAT(e.Message(), HasSubstr("maior que"));
  }
}

const char* const kCountersOnly = "-------------------CONTADORES-------------------\n"
                                  "Rein\355cio de Opera\xE7\xE3o                        0001\n"
                                  "Redu\xE7\365es Z anteriores                       0041\n"
                                  "Leituras X                                000003\n"
                                  "Opera\xE7\365es N\xE3o Fiscais                     000004\n"
                                  "Cupons Fiscais Cancelados                   0000\n"
                                  "COO Inicial                               000120\n"
                                  "-------------TOTALIZADORES FISCAIS--------------\n"
                                  "Totalizador Geral                       1.234,56\n";

TEST_F(ExportTest, ReportCutShortKeepsWhatWasReadAndLogs) {
  Qdm00000::IdTipoImpFis = 1;
  ASSERT_TRUE(Qdm00100::Reducao_Z_Bematech(""));
  printer.SetReportText(kCountersOnly);
  EXPECT_FALSE(Export());
  platform::TClientDataSet& z = sets.reducao;
  ASSERT_EQ(z.RecordCount(), 1);
  EXPECT_EQ(z.FieldByName("NRREDREDZ").AsString(), "0042");
  EXPECT_EQ(z.FieldByName("NRULTCFREDZ").AsString(), "000120") << "no last-coupon line";
  EXPECT_DOUBLE_EQ(z.FieldByName("VRGTREDZ").AsFloat(), 1234.56);
  EXPECT_EQ(sets.formas.RecordCount(), 0);
  EXPECT_EQ(sets.impostos.RecordCount(), 0);
  EXPECT_EQ(sets.totais.RecordCount(), 0);
  std::string log;
  for (const std::string& line : LogLines()) log += line + "\n";
  EXPECT_THAT(log, HasSubstr("ERRO!!! "));
}

TEST_F(ExportTest, FileWithoutAnyHeaderIsNotReadFromTheTop) {
  ASSERT_TRUE(Qdm00100::Reducao_Z_Bematech(""));
  printer.SetReportText("01 Dinheiro                            20,00\n"
                        "02 Cartao                               5,00\n");
  FillPaymentTypes(tipos, {{"001", "Dinheiro", "1", "5", "01"}});
  EXPECT_FALSE(Export());
  EXPECT_EQ(sets.formas.RecordCount(), 0);
  EXPECT_EQ(sets.reducao.RecordCount(), 1);
  EXPECT_TRUE(sets.reducao.FieldByName("VRGTREDZ").IsNull());
  std::string log;
  for (const std::string& line : LogLines()) log += line + "\n";
  EXPECT_THAT(log, HasSubstr("ERRO!!! ExportRedZ: se\xE7\xE3o ausente em mp20fi.ret: CONTADORES"));
  EXPECT_THAT(log, HasSubstr("FORMAS DE PAGAMENTO"));
}

// The printer's own report of the day, as "69" wrote it.
std::string OwnReport() {
  std::ifstream file("mp20fi.ret", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST_F(ExportTest, AReportCutShortIsNoExport) {
  SellAndReduce();
  ASSERT_TRUE(Export());
  const std::string whole = OwnReport();
  // Cut in the middle of the payment methods: five sections never arrive.
  const std::size_t cut = whole.find("02 Cartao");
  ASSERT_NE(cut, std::string::npos);
  printer.SetReportText(whole.substr(0, cut + 5).c_str());
  Mark();
  ExportSets fresh;
  EXPECT_FALSE(Qdm00100::ExportRedZ_Bematech(tipos, fresh.reducao, fresh.formas, fresh.impostos, fresh.totais));
  std::string log;
  for (const std::string& line : LogLines()) log += line + "\n";
  EXPECT_THAT(log, HasSubstr("ERRO!!! ExportRedZ: "));
  EXPECT_DOUBLE_EQ(fresh.reducao.FieldByName("VRGTREDZ").AsFloat(), 25.00) << "what was read stays";
}

TEST_F(ExportTest, ASignedAmountIsReadWithItsSign) {
  SellAndReduce();
  ASSERT_TRUE(Export());
  // The cash line of the payment methods, its amount made -5,00.
  std::string report = OwnReport();
  const std::size_t line = report.find("01 Dinheiro");
  ASSERT_NE(line, std::string::npos);
  report.replace(line + 28, 20, std::string(15, ' ') + "-5,00");
  printer.SetReportText(report.c_str());
  ExportSets fresh;
  EXPECT_TRUE(Qdm00100::ExportRedZ_Bematech(tipos, fresh.reducao, fresh.formas, fresh.impostos, fresh.totais));
  fresh.formas.First();
  EXPECT_EQ(fresh.formas.FieldByName("CDTIPORECE").AsString(), "001");
  EXPECT_DOUBLE_EQ(fresh.formas.FieldByName("VRFORMPGTORZ").AsFloat(), -5.00);
  EXPECT_EQ(fresh.formas.RecordCount(), 2);
  EXPECT_GT(fresh.impostos.RecordCount(), 0) << "the sections after it are read too";
}

TEST(ReportAmount, SeparatorsDroppedLastTwoDigitsAreCents) {
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount(" 1.234,56 "), 1234.56);
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount("1,234.56"), 1234.56);
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount("0,00"), 0);
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount("12345678901234,99"), 12345678901234.99);
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount("-5,00"), -5.00);
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount(" -0,05"), -0.05);
  EXPECT_DOUBLE_EQ(Qdm00100::ReadAmount("-1.234,56"), -1234.56);
  EXPECT_ANY_THROW(Qdm00100::ReadAmount("-"));
  EXPECT_ANY_THROW(Qdm00100::ReadAmount("5,-00"));
  EXPECT_ANY_THROW(Qdm00100::ReadAmount(""));
  EXPECT_ANY_THROW(Qdm00100::ReadAmount("12,3x"));
}

}  // namespace
}  // namespace bematech_test
