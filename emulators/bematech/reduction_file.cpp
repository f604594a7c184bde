#include "emulators/bematech/reduction_file.h"

#include <cstdio>

#include "emulators/bematech/shared.h"
#include "emulators/bematech/layout.h"

namespace mp20emu {

namespace {

const char* const kCounters = "-------------------CONTADORES-------------------";
const char* const kFiscal = "-------------TOTALIZADORES FISCAIS--------------";
const char* const kUntaxed = "-----------------N\xC6o Tributados-----------------";
const char* const kTaxed = "-------------------Tributados-------------------";
const char* const kService = "----------------------ISS-----------------------";
const char* const kMethods = "--------------Formas de Pagamento---------------";
const char* const kNonFiscal = "-----------TOTALIZADORES N\xC7O FISCAIS------------";

std::string Line(const char* text) { return std::string(text) + "\n"; }

std::string Padded(const std::string& text, std::size_t width) {
  std::string cut = text.substr(0, width);
  return cut + std::string(width - cut.size(), ' ');
}

std::string RightIn(const std::string& text, std::size_t width) {
  std::string cut = text.substr(0, width);
  return std::string(width - cut.size(), ' ') + cut;
}

std::string Elapsed(long long seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600 % 100, seconds / 60 % 60, seconds % 60);
  return text;
}

// One row of the non-fiscal totalizers: number, name, count, amount.
std::string NonFiscalRow(const std::string& number, const std::string& name, int count, long long amount) {
  return number + " " + Padded(name, kTotalizerNameSize) + " " + Digits(count, 4) + " " + RightIn(Money(amount), 20) +
         "\n";
}

// Rows of one rate section: code, rate, taxable base, tax; then "Total".
std::string RateRows(const FiscalState& state, const DayTotals& t, bool service, long long& tax_sum) {
  std::string text = "AL\xCDQ  %        BASE DE C\xC1LCULO          IMPOSTO\n";
  long long base_sum = 0;
  tax_sum = 0;
  for (std::size_t i = 0; i < state.rates.size(); ++i) {
    if (state.rates[i].service != service) continue;
    long long base = t.rate_base[i];
    long long tax = base * state.rates[i].hundredths / 10000;
    base_sum += base;
    tax_sum += tax;
    text += Digits(static_cast<long long>(i + 1), 2) + (service ? "S " : "T ") + Percent(state.rates[i].hundredths) +
            "     " + RightIn(Money(base), 15) + " " + RightIn(Money(tax), 18) + "\n";
  }
  return text + "Total    " + "     " + RightIn(Money(base_sum), 15) + " " + RightIn(Money(tax_sum), 18) + "\n";
}

}  // namespace

std::string ReductionReport(const FiscalState& s, const DayTotals& t, const Reduction& z, bool restaurant) {
  long long taxed = 0, service = 0;
  std::string taxed_rows = RateRows(s, t, false, taxed);
  std::string service_rows = RateRows(s, t, true, service);

  std::string text = Center("REDU\xC7\xC3O Z") + Columns("MOVIMENTO DO DIA", DaySlashed(z.day));
  text += Line(kCounters);
  text += Columns("Rein\355cio de Opera\xE7\xE3o", Digits(s.restarts, 4));
  // The reader adds one to this counter to number the reduction just made.
  text += Columns("Redu\xE7\365es Z anteriores", Digits(z.number - 1, 4));
  text += Columns("Leituras X", Digits(s.x_readings, 6));
  text += Columns("Opera\xE7\365es N\xE3o Fiscais", Digits(s.non_fiscal, 6));
  text += Columns("Cupons Fiscais Cancelados", Digits(t.cancelled_coupons, 4));
  text += Columns("COO Inicial", Digits(t.first_coo, 6));
  text += Columns("COO Final", Digits(t.last_coo, 6));
  text += Line(kFiscal);
  text += Columns("Totalizador Geral", Money(z.grand_total));
  text += Columns("Venda Bruta Di\xE1ria", Money(t.gross));
  text += Columns("ISS", Money(service));
  text += Columns("Cancelamentos", Money(t.cancellations));
  text += Columns("Descontos", Money(t.discounts));
  text += Columns("Imposto ICMS", Money(taxed));
  // The restaurant model's service charge is not part of the fiscal sale.
  if (restaurant) text += Columns("Taxa de Servi\xE7o", Money(0));
  text += Columns("Venda L\xEDquida", Money(t.Net()));
  text += Columns("Acr\xE9scimos", Money(t.surcharges));
  text += Line(kUntaxed);
  text += Columns("Substitui\xE7\xE3o Tribut\xE1ria", Money(t.substitution));
  text += Columns("Isen\xE7\xE3o", Money(t.exempt));
  text += Columns("N\xE3o Incid\xEAncia", Money(t.untaxed));
  text += Line(kTaxed) + taxed_rows;
  text += Line(kService) + service_rows;
  text += Line(kMethods);
  for (std::size_t i = 0; i < s.methods.size(); ++i) {
    long long amount = i < t.method_amounts.size() ? t.method_amounts[i] : 0;
    text += Columns(Digits(static_cast<long long>(i + 1), 2) + " " + s.methods[i], Money(amount));
  }
  text += "\n";
  text += Line(kNonFiscal);
  text += "N\xBA Totalizador          CONT VALOR ACUMULADO\n";
  // Supply and withdrawal first, under the codes their receipts carry, as
  // the Z on the tape prints them.
  text += NonFiscalRow("SU", "SUPRIMENTO", t.supply_count, t.supplies);
  text += NonFiscalRow("SA", "SANGRIA", t.withdrawal_count, t.withdrawals);
  for (std::size_t i = 0; i < s.totalizers.size(); ++i) {
    int count = i < t.totalizer_counts.size() ? t.totalizer_counts[i] : 0;
    long long amount = i < t.totalizer_amounts.size() ? t.totalizer_amounts[i] : 0;
    text += NonFiscalRow(Digits(static_cast<long long>(i + 1), 2), s.totalizers[i], count, amount);
  }
  text += Rule();
  int documents = t.last_coo >= t.first_coo && t.first_coo > 0 ? t.last_coo - t.first_coo + 1 : 0;
  text += Padded("Tempo Ligada", 32) + Elapsed(8 * 3600) + "\n";
  text += Padded("Tempo Emitindo Documentos", 32) + Elapsed(documents * 30LL) + "\n";
  text += Padded("Redu\xE7\365es restantes", 18) + Digits(kFiscalMemoryReductions - z.number, 4) + "\n";
  return text;
}

}  // namespace mp20emu
