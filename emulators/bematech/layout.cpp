#include "emulators/bematech/layout.h"

#include <cstdio>

#include "emulators/bematech/shared.h"

namespace mp20emu {

std::string Center(const std::string& text) {
  std::string line = text.substr(0, kColumns);
  return std::string((kColumns - line.size()) / 2, ' ') + line + "\n";
}

std::string Columns(const std::string& left, const std::string& right) {
  std::string r = right.substr(0, kColumns);
  std::size_t room = kColumns - r.size();
  std::string l = left.size() >= room ? left.substr(0, room ? room - 1 : 0) : left;
  return l + std::string(kColumns - l.size() - r.size(), ' ') + r + "\n";
}

std::string Rule() { return std::string(kColumns, '-') + "\n"; }

std::string Wrapped(const std::string& text) {
  std::string out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    do {
      out += line.substr(0, kColumns) + "\n";
      line = line.size() > kColumns ? line.substr(kColumns) : std::string();
    } while (!line.empty());
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

namespace {
std::string Clock(const DateTime& now) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", now.day, now.month, now.year, now.hour, now.minute,
                now.second);
  return text;
}
}  // namespace

std::string DocumentHeader(const FiscalState&, const DateTime& now, int coo, const std::string& title) {
  return Center("EMPRESA DEMONSTRA\xC7\xC3O LTDA") + Center("RUA DO COM\xC9RCIO, 100 - CENTRO - S\xC3O PAULO SP") +
         Center("CNPJ:00.000.000/0001-91 IE:000.000.000.000") + Rule() + Columns(Clock(now), "COO:" + Digits(coo, 6)) +
         Center(title);
}

std::string FiscalTrailer(const FiscalState& state, const DateTime& now) {
  return Rule() + Columns("BEMATECH MP-20 FI II", "ECF-IF ECF:" + state.printer_number) +
         Columns("FAB:" + state.serial, Clock(now)) + "\n";
}

std::string RateLabel(const FiscalState& state, const std::string& tax) {
  if (tax == "FF") return "F";
  if (tax == "II") return "I";
  if (tax == "NN") return "N";
  std::size_t index = static_cast<std::size_t>(std::stoi(tax) - 1);
  if (index >= state.rates.size()) return tax;
  const Rate& rate = state.rates[index];
  return tax + (rate.service ? "S" : "T") + Percent(rate.hundredths) + "%";
}

std::string ItemLines(const FiscalState& state, int number, const Item& item) {
  std::string text = (Digits(number, 3) + " " + item.code + " " + item.description).substr(0, kColumns) + "\n";
  text += Columns("    " + Quantity(item.quantity) + " x " + Money(item.unit_price) + " " + RateLabel(state, item.tax),
                  Money(item.Gross()));
  if (item.discount > 0) text += Columns("    desconto item", "-" + Money(item.discount));
  return text;
}

std::string DayReport(const FiscalState& state, const DayTotals& t) {
  std::string text = Rule() + "CONTADORES\n";
  text += Columns("REINICIO DE OPERA\xC7\xC3O (CRO)", Digits(state.restarts, 4));
  text += Columns("REDU\xC7\325ES Z (CRZ)", Digits(state.reductions, 4));
  text += Columns("CONTADOR DE ORDEM (COO)", Digits(state.coo, 6));
  text += Columns("N\xC3O FISCAIS (GNF)", Digits(state.non_fiscal, 6));
  text += Columns("CUPONS CANCELADOS", Digits(t.cancelled_coupons, 4));
  text += Columns("PRIMEIRO COO DO DIA", Digits(t.first_coo, 6));
  text += Rule() + "TOTALIZADORES\n";
  text += Columns("GRANDE TOTAL", Money(state.grand_total));
  text += Columns("VENDA BRUTA", Money(t.gross));
  text += Columns("CANCELAMENTOS", Money(t.cancellations));
  text += Columns("DESCONTOS", Money(t.discounts));
  text += Columns("ACR\xC9SCIMOS", Money(t.surcharges));
  text += Columns("VENDA L\xCDQUIDA", Money(t.Net()));
  text += Rule() + "AL\xCDQUOTAS\n";
  for (std::size_t i = 0; i < state.rates.size(); ++i) {
    long long base = t.rate_base[i];
    long long tax = base * state.rates[i].hundredths / 10000;
    text += Columns(RateLabel(state, Digits(static_cast<long long>(i + 1), 2)) + " " + Money(base), Money(tax));
  }
  text += Columns("F  SUBSTITUI\xC7\xC3O TRIBUT\xC1RIA", Money(t.substitution));
  text += Columns("I  ISEN\xC7\xC3O", Money(t.exempt));
  text += Columns("N  N\xC3O INCID\xCANCIA", Money(t.untaxed));
  text += Rule() + "MEIOS DE PAGAMENTO\n";
  for (std::size_t i = 0; i < state.methods.size(); ++i) {
    long long amount = i < t.method_amounts.size() ? t.method_amounts[i] : 0;
    text += Columns(Digits(static_cast<long long>(i + 1), 2) + " " + state.methods[i], Money(amount));
  }
  text += Columns("TROCO", Money(t.change));
  text += Rule() + "N\xC3O FISCAIS\n";
  text += Columns("SUPRIMENTO", Money(t.supplies));
  text += Columns("SANGRIA", Money(t.withdrawals));
  for (std::size_t i = 0; i < state.totalizers.size(); ++i) {
    int count = i < t.totalizer_counts.size() ? t.totalizer_counts[i] : 0;
    long long amount = i < t.totalizer_amounts.size() ? t.totalizer_amounts[i] : 0;
    text += Columns(Digits(static_cast<long long>(i + 1), 2) + " " + state.totalizers[i] + " " + Digits(count, 4),
                    Money(amount));
  }
  return text;
}

}  // namespace mp20emu
