// Readings, reductions, non-fiscal documents and the reduction report file.
#include "printer_fixture.h"

namespace mp20test {
namespace {

using ReportsTest = PrinterTest;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& header) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == header) return i;
  ADD_FAILURE() << "no header " << header;
  return 0;
}

// Columns from..to, 1-based, blanks around removed.
std::string Cols(const std::string& line, std::size_t from, std::size_t to) {
  std::string cut = line.size() >= from ? line.substr(from - 1, to - from + 1) : std::string();
  std::size_t a = cut.find_first_not_of(' '), b = cut.find_last_not_of(' ');
  return a == std::string::npos ? std::string() : cut.substr(a, b - a + 1);
}

TEST_F(ReportsTest, ReadingXPrintsTheDayAndReductionZClosesIt) {
  WholeCoupon();
  Ok("06");
  EXPECT_EQ(lib.CouponNumber(), 2);
  std::string tape = TapeText();
  EXPECT_NE(tape.find("LEITURA X"), std::string::npos);
  EXPECT_NE(tape.find("VENDA BRUTA"), std::string::npos);
  // Grand total 18, gross, cancellations, discounts, surcharges, net 14 each, COO 6, CRZ 4.
  EXPECT_EQ(Ask("27"), "000000000000001000"
                       "00000000001000"
                       "00000000000000"
                       "00000000000000"
                       "00000000000000"
                       "00000000001000"
                       "000002"
                       "0000");

  Ok("05");
  EXPECT_EQ(lib.ReductionCount(), 1);
  EXPECT_EQ(Ask("27"), "000000000000001000"
                       "00000000000000"
                       "00000000000000"
                       "00000000000000"
                       "00000000000000"
                       "00000000000000"
                       "000003"
                       "0001");
  EXPECT_EQ(Send("05").st2, 0x01) << "the day was already reduced";
  Ok("00");
  EXPECT_EQ(Send("05").st2, 0x01) << "not with a coupon open";
}

TEST_F(ReportsTest, ReductionFileCarriesTheLastZInTheColumnsTheDriverReads) {
  lib.SetRates("1800T,0500S");
  lib.SetTotalizers("CONTRA-VALE EMITIDO\nRelatorios");
  WholeCoupon();
  Ok("25", {"02", V14(1), "Rel Gerencial"});
  Ok("25", {"SU", V14(300)});
  lib.PowerCycle();  // the receipts are counted in the fiscal memory
  ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  Ok("25", {"SU", V14(200)});
  Ok("05");
  Ok("69");
  std::vector<std::string> lines = Lines(ReadFile(File("mp20fi.ret")));

  std::size_t h = IndexOf(lines, "-------------------CONTADORES-------------------");
  EXPECT_EQ(Cols(lines[h + 2], 45, 48), "0000") << "the reader adds one: reduction 1";
  EXPECT_EQ(Cols(lines[h + 6], 43, 48), "000001");
  EXPECT_EQ(Cols(lines[h + 7], 43, 48), "000005") << "the Z is the day's last document";
  std::size_t t = IndexOf(lines, "-------------TOTALIZADORES FISCAIS--------------");
  EXPECT_EQ(t, h + 8);
  EXPECT_EQ(Cols(lines[t + 1], 29, 48), "10,00") << "grand total";
  EXPECT_EQ(Cols(lines[t + 2], 29, 48), "10,00") << "gross";
  EXPECT_EQ(Cols(lines[t + 7], 29, 48), "10,00") << "net";
  std::size_t n = IndexOf(lines, "-----------------N\xC6o Tributados-----------------");
  EXPECT_EQ(Cols(lines[n + 1], 29, 48), "0,00");
  std::size_t taxed = IndexOf(lines, "-------------------Tributados-------------------");
  EXPECT_EQ(Cols(lines[taxed + 2], 1, 2), "01");
  EXPECT_EQ(Cols(lines[taxed + 2], 5, 9), "18,00");
  EXPECT_EQ(Cols(lines[taxed + 2], 15, 29), "10,00");
  EXPECT_EQ(Cols(lines[taxed + 2], 31, 48), "1,80");
  EXPECT_EQ(Cols(lines[taxed + 3], 1, 5), "Total");
  std::size_t iss = IndexOf(lines, "----------------------ISS-----------------------");
  EXPECT_EQ(Cols(lines[iss + 2], 5, 9), "05,00");
  EXPECT_EQ(Cols(lines[iss + 3], 1, 5), "Total");
  std::size_t m = IndexOf(lines, "--------------Formas de Pagamento---------------");
  EXPECT_EQ(Cols(lines[m + 1], 1, 2), "01");
  EXPECT_EQ(Cols(lines[m + 1], 29, 48), "10,00");
  EXPECT_EQ(Cols(lines[m + 2], 3, 48).find("Rel Gerencial"), 0u) << "programmed by the receipt";
  EXPECT_EQ(Cols(lines[m + 3], 1, 2), "") << "a blank line ends the methods";
  // Supply and withdrawal lead the non-fiscal totalizers, as on the Z's tape.
  std::size_t nf = IndexOf(lines, "-----------TOTALIZADORES N\xC7O FISCAIS------------");
  EXPECT_EQ(Cols(lines[nf + 2], 1, 2), "SU");
  EXPECT_EQ(Cols(lines[nf + 2], 4, 22), "SUPRIMENTO");
  EXPECT_EQ(Cols(lines[nf + 2], 24, 27), "0002");
  EXPECT_EQ(Cols(lines[nf + 2], 29, 48), "5,00");
  EXPECT_EQ(Cols(lines[nf + 3], 1, 2), "SA");
  EXPECT_EQ(Cols(lines[nf + 3], 4, 22), "SANGRIA");
  EXPECT_EQ(Cols(lines[nf + 3], 24, 27), "0000");
  EXPECT_EQ(Cols(lines[nf + 3], 29, 48), "0,00");
  EXPECT_EQ(Cols(lines[nf + 5], 4, 22), "Relatorios");
  EXPECT_EQ(Cols(lines[nf + 5], 24, 27), "0001");
  EXPECT_EQ(Cols(lines[nf + 5], 29, 48), "0,01");
  std::size_t d = IndexOf(lines, std::string(48, '-'));
  EXPECT_EQ(d, nf + 6);
  EXPECT_EQ(lines[d + 1].substr(32, 8), "08:00:00");
  for (const std::string& line : lines) EXPECT_LE(line.size(), 48u) << line;
}

TEST_F(ReportsTest, BenchReportTextIsWrittenInPlaceOfThePrintersOwnAfterAZ) {
  lib.SetReportText("OUTRO LEIAUTE\r\n");
  EXPECT_EQ(Send("69").st2, 0x01) << "no Z yet";
  Ok("05");
  Ok("69");
  EXPECT_EQ(ReadFile(File("mp20fi.ret")), "OUTRO LEIAUTE\r\n");
  lib.SetReportText(nullptr);
  Ok("69");
  EXPECT_NE(ReadFile(File("mp20fi.ret")).find("CONTADORES"), std::string::npos);
  lib.SetReportText("OUTRO LEIAUTE\n");
  lib.Reset();
  lib.SetFiscalDay(2026, 6, 12);
  ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  Ok("05");
  Ok("69");
  EXPECT_NE(ReadFile(File("mp20fi.ret")).find("CONTADORES"), std::string::npos) << "a reset forgets it";
}

TEST_F(ReportsTest, RestaurantModelPrintsTheServiceChargeBeforeTheNetSales) {
  WholeCoupon();
  Ok("05");
  lib.SetRestaurantModel(1);
  Ok("69");
  std::vector<std::string> lines = Lines(ReadFile(File("mp20fi.ret")));
  std::size_t t = IndexOf(lines, "-------------TOTALIZADORES FISCAIS--------------");
  EXPECT_EQ(lines[t + 7].rfind("Taxa de Servi\xE7o", 0), 0u);
  EXPECT_EQ(Cols(lines[t + 8], 29, 48), "10,00") << "net, one line lower";
  EXPECT_EQ(Cols(lines[t + 10], 1, 48), "-----------------N\xC6o Tributados-----------------");
}

TEST_F(ReportsTest, VoucherAndReportPrintTheirTextAsSent) {
  lib.SetTotalizers("Relatorios");
  Ok("25", {"01", V14(1), "Rel Gerencial"});
  Ok("66", {"Rel Gerencial", V14(1), Ask("30")});
  Ok("67", {"\nLINHA UM\nLINHA DOIS\n"});
  EXPECT_EQ(Send("00").st2, 0x01) << "a voucher is open";
  Ok("21");
  Ok("20", {" "});
  Ok("67", {"RELATORIO\n"});
  Ok("21");
  std::string tape = TapeText();
  for (const char* expected : {"COMPROVANTE N\xC3O FISCAL", "01 Relatorios", "COMPROVANTE CR\311DITO OU D\311BITO",
                               "\nLINHA UM\nLINHA DOIS\n", "RELAT\xD3RIO GERENCIAL", "RELATORIO\n"})
    EXPECT_NE(tape.find(expected), std::string::npos) << expected;
  EXPECT_EQ(lib.CouponNumber(), 3);
  EXPECT_EQ(Send("66", {"Nao Existe", V14(1), ""}).st2, 0x01);
}

TEST_F(ReportsTest, SupplyAndWithdrawalAreNonFiscalReceipts) {
  Ok("25", {"SU", V14(10000)});
  Ok("25", {"SA", V14(2550)});
  std::string tape = TapeText();
  EXPECT_NE(tape.find("SUPRIMENTO"), std::string::npos);
  EXPECT_NE(tape.find("SANGRIA"), std::string::npos);
  EXPECT_NE(tape.find("25,50"), std::string::npos);
  EXPECT_EQ(lib.CouponNumber(), 2);
}

TEST_F(ReportsTest, FiscalMemoryReadingListsTheReductionsInRange) {
  WholeCoupon();
  Ok("05");
  lib.ClearTape();
  Ok("08", {"120626", "120626", "I"});
  EXPECT_NE(TapeText().find("CRZ 0001 12/06/2026"), std::string::npos);
  EXPECT_EQ(Send("08", {"130626", "120626", "I"}).st2, 0x80);
}

}  // namespace
}  // namespace mp20test
