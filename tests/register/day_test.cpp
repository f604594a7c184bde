// The register's whole day and the restaurant's, as CI runs them: each
// closes its fiscal day with a Z reduction and shows the exported figures,
// and run again on the same home the next day follows, never a sale the
// printer refuses.
#include <gtest/gtest.h>

#include <regex>

#include "tests/register/register_process.h"

namespace register_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Args(const Home& home, const std::string& subcommand, std::vector<std::string> more = {}) {
  std::vector<std::string> args{subcommand, "--dir", home.str(), "--unattended"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The value after `label` on the first line holding it: a tape line
// ("VENDA BRUTA      77,25") or a dataset line ("VRVENBRUREDZ : 77,25"),
// an amount or a date.
std::string ValueAfter(const std::string& text, const std::string& label) {
  std::smatch m;
  const std::regex line(label + R"([ :]+([0-9.,/]+)\n)");
  return std::regex_search(text, m, line) ? m[1].str() : std::string("(ausente: " + label + ")");
}

// The tape part of a run's output, and the export shown after it.
std::string Tape(const std::string& out) {
  const auto from = out.find("== Bobina");
  const auto to = out.find("== Redu\xC3\xA7\xC3\xA3o Z exportada");
  return from == std::string::npos ? std::string() : out.substr(from, to == std::string::npos ? to : to - from);
}
std::string Exported(const std::string& out) {
  const auto from = out.find("== Redu\xC3\xA7\xC3\xA3o Z exportada");
  return from == std::string::npos ? std::string() : out.substr(from);
}

// The export reads back what the printer totalled on the tape of its Z.
void ExpectExportMatchesTape(const Finished& run) {
  const std::string tape = Tape(run.out), exported = Exported(run.out);
  ASSERT_FALSE(exported.empty()) << run.out;
  EXPECT_EQ(ValueAfter(exported, "VRVENBRUREDZ"), ValueAfter(tape, "VENDA BRUTA")) << run.out;
  EXPECT_EQ(ValueAfter(exported, "VRVENLIQREDZ"), ValueAfter(tape, "VENDA L\xC3\x8DQUIDA")) << run.out;
  EXPECT_EQ(ValueAfter(exported, "VRGTREDZ"), ValueAfter(tape, "GRANDE TOTAL")) << run.out;
  EXPECT_EQ(ValueAfter(exported, "VRTOTDESREDZ"), ValueAfter(tape, "DESCONTOS")) << run.out;
  for (const char* dataset : {"cdsReducaoZ", "cdsFormPgtoRedZ", "cdsImpostoRedZ", "cdsTotNFiscRedZ"})
    EXPECT_TRUE(Has(exported, dataset)) << dataset << "\n" << run.out;
}

// The Z reduction's "MOVIMENTO DO DIA" on the tape (dd/mm/yyyy).
std::string FiscalDay(const std::string& out) { return ValueAfter(Tape(out), "MOVIMENTO DO DIA"); }

TEST(RegisterDay, DaysFollowOneAnotherAndTheSaleAfterThem) {
  Home home;
  const Finished first = RunRegister(Args(home, "dia"));
  ASSERT_EQ(first.exit_code, 0) << first.out << first.err;
  EXPECT_FALSE(Has(first.out, "FALHA")) << first.out;
  // The operator's questions of the till closing, answered by rule.
  EXPECT_TRUE(Has(first.out, "Deseja abrir o caixa? -> N\xC3\xA3o")) << first.out;
  EXPECT_TRUE(Has(first.out, "Confirma impress\xC3\xA3o da redu\xC3\xA7\xC3\xA3o z? -> Sim")) << first.out;
  EXPECT_TRUE(Has(first.out, "Relat\xC3\xB3rio de Produtos? -> Sim")) << first.out;
  EXPECT_TRUE(Has(first.out, "contador de redu\xC3\xA7\xC3\265es 0 -> 1")) << first.out;
  // Supply, card, cash and withdrawal balance the till to the cent.
  EXPECT_EQ(ValueAfter(Tape(first.out), "SOBRA"), "0,00") << first.out;
  ExpectExportMatchesTape(first);

  const Finished second = RunRegister(Args(home, "dia"));
  ASSERT_EQ(second.exit_code, 0) << second.out << second.err;
  EXPECT_FALSE(Has(second.out, "FALHA")) << second.out;
  EXPECT_TRUE(Has(second.out, "contador de redu\xC3\xA7\xC3\265es 1 -> 2")) << second.out;
  EXPECT_NE(FiscalDay(second.out), FiscalDay(first.out)) << first.out << second.out;
  ExpectExportMatchesTape(second);

  // The README's sale after two closed days opens the third.
  const Finished sale = RunRegister({"--dir", home.str(), "--unattended"});
  EXPECT_EQ(sale.exit_code, 0) << sale.out << sale.err;
  EXPECT_FALSE(Has(sale.out, "FALHA")) << sale.out;
  EXPECT_TRUE(Has(sale.out, "ok   FechaCupom")) << sale.out;
}

// The Z went through and its export fails (the printer refuses to write
// its report): the day's end is kept all the same, so the next run sells
// the next day and never prints a second Z on the same date.
TEST(RegisterDay, FailedExportStillEndsTheDay) {
  Home home;
  const Finished failed = RunRegister(Args(home, "dia"), 60, {{"MP20FI_FAULT", "69:0,1"}});
  EXPECT_EQ(failed.exit_code, 1) << failed.out << failed.err;
  EXPECT_TRUE(Has(failed.out, "contador de redu\xC3\xA7\xC3\265es 0 -> 1")) << failed.out;
  EXPECT_TRUE(Has(failed.out, "FALHA ExportRedZ")) << failed.out;
  EXPECT_TRUE(Has(failed.out, "ok   rel\xC3\xB3gio do caixa na manh\xC3\xA3 seguinte")) << failed.out;

  const Finished next = RunRegister(Args(home, "dia"));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  EXPECT_TRUE(Has(next.out, "contador de redu\xC3\xA7\xC3\265es 1 -> 2")) << next.out;
  EXPECT_NE(FiscalDay(next.out), FiscalDay(failed.out)) << failed.out << next.out;
}

// A sale first, then the day: the day's Z also takes the earlier sale.
TEST(RegisterDay, DayAfterTheSaleAndCashOnly) {
  Home home;
  const Finished sale = RunRegister({"--dir", home.str(), "--unattended", "--sem-cartao"});
  ASSERT_EQ(sale.exit_code, 0) << sale.out << sale.err;
  const Finished day = RunRegister(Args(home, "dia", {"--sem-cartao"}));
  EXPECT_EQ(day.exit_code, 0) << day.out << day.err;
  EXPECT_FALSE(Has(day.out, "FALHA")) << day.out;
  EXPECT_FALSE(Has(day.out, "== Di\xC3\xA1rio do gerenciador TEF")) << day.out;
  ExpectExportMatchesTape(day);
}

// A failed step ends the day with its reason and exit 1; nothing is
// reduced, and the next run on the home still closes the day.
TEST(RegisterDay, DeclinedCardEndsTheDayAndTheNextRunClosesIt) {
  Home home;
  home.ControlManager("decline=1\n");
  const Finished failed = RunRegister(Args(home, "dia"));
  EXPECT_EQ(failed.exit_code, 1) << failed.out << failed.err;
  EXPECT_TRUE(Has(failed.out, "FALHA cart\xC3\xA3o")) << failed.out;
  EXPECT_TRUE(Has(failed.out, "Dia n\xC3\xA3o conclu\xC3\255do")) << failed.out;
  EXPECT_FALSE(Has(failed.out, "GeraReciboSangria")) << failed.out;
  home.ControlManager("");
  const Finished next = RunRegister(Args(home, "dia"));
  EXPECT_EQ(next.exit_code, 0) << next.out << next.err;
  EXPECT_TRUE(Has(next.out, "contador de redu\xC3\xA7\xC3\265es 0 -> 1")) << next.out;
}

TEST(RegisterDay, RestaurantDaysFollowOneAnotherAndTheShopsDay) {
  Home home;
  const Finished first = RunRegister(Args(home, "restaurante"));
  ASSERT_EQ(first.exit_code, 0) << first.out << first.err;
  EXPECT_FALSE(Has(first.out, "FALHA")) << first.out;
  const std::string tape = Tape(first.out);
  for (const char* printed :
       {"MESAS ABERTAS", "CONFER\xC3\x8ANCIA DE MESA", "CARD\xC3\x81PIO", "CUPOM FISCAL", "REDU\xC3\x87\xC3\x83O Z"})
    EXPECT_TRUE(Has(tape, printed)) << printed << "\n" << first.out;
  // Both tables' items, the moved one and the joined ones, on the table's
  // coupon; the reversed beer nowhere after its reversal.
  const std::string coupon = tape.substr(tape.find("CUPOM FISCAL"));
  for (const char* item : {"PICANHA GRELHADA", "REFRIGERANTE LATA", "FRITAS"})
    EXPECT_TRUE(Has(coupon, item)) << item << "\n" << first.out;
  EXPECT_FALSE(Has(coupon, "CERVEJA")) << first.out;
  // Every figure the register shows is the printer's: the bill and its
  // service charge as the table check prints them, the day's sales as the
  // Z reduction totals them.
  const std::string check = tape.substr(tape.find("CONFER\xC3\x8ANCIA DE MESA"));
  EXPECT_EQ(ValueAfter(check, "SERVI\xC3\x87O 10,00%"), "12,84") << first.out;
  std::smatch bill;
  ASSERT_TRUE(std::regex_search(
      first.out, bill, std::regex(R"(== Conta da mesa 10: ([0-9,]+) \+ servi\xC3\xA7o 10% ([0-9,]+) = ([0-9,]+))")))
      << first.out;
  EXPECT_EQ(bill[1].str(), ValueAfter(check, "\nSUBTOTAL"));
  EXPECT_EQ(bill[2].str(), ValueAfter(check, "SERVI\xC3\x87O 10,00%"));
  EXPECT_EQ(bill[3].str(), ValueAfter(check, "\nTOTAL"));
  EXPECT_EQ(bill[1].str(), ValueAfter(coupon, "\nTOTAL R\\$"));
  std::smatch sales;
  ASSERT_TRUE(std::regex_search(first.out, sales, std::regex(R"(Fechamento do caixa \(vendas ([0-9,]+)\))")));
  EXPECT_EQ(sales[1].str(), ValueAfter(tape, "VENDA BRUTA")) << first.out;
  EXPECT_EQ(ValueAfter(tape.substr(tape.find("RELATORIO DE PRODUTOS")), "V  A  L  O  R"), sales[1].str());
  EXPECT_FALSE(Has(tape.substr(tape.find("RELATORIO DE PRODUTOS")), "CERVEJA")) << first.out;
  // The restaurant model's report lays net sales one line lower; the
  // export still reads what the tape printed.
  ExpectExportMatchesTape(first);

  const Finished second = RunRegister(Args(home, "restaurante"));
  EXPECT_EQ(second.exit_code, 0) << second.out << second.err;
  EXPECT_FALSE(Has(second.out, "FALHA")) << second.out;
  ExpectExportMatchesTape(second);
  // The shop's register on the same home, with a printer of its own.
  const Finished day = RunRegister(Args(home, "dia"));
  EXPECT_EQ(day.exit_code, 0) << day.out << day.err;
  EXPECT_FALSE(Has(day.out, "FALHA")) << day.out;
}

}  // namespace
}  // namespace register_test
