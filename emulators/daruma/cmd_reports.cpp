// Non-fiscal documents, readings and the reduction that closes the day.
#include <cstdio>

#include "emulators/daruma/commands.h"

namespace daremu {

namespace {

void DayFigures(Command& c) {
  const PrinterState& s = c.state;
  c.Print("VENDA BRUTA R$ " + Money(s.day_sales) + "\nSUPRIMENTOS R$ " + Money(s.day_supplies) + "\nSANGRIAS R$ " +
          Money(s.day_withdrawals) + "\nGT R$ " + Money(s.grand_total) + "\n");
  for (const Method& m : s.methods) c.Print(m.name + " R$ " + Money(m.day_amount) + "\n");
}

}  // namespace

// One blank.
void OpenReport(Command& c) {
  PrinterState& s = c.state;
  if (c.params != " ") return c.Refuse(kBadParameters);
  if (s.open != Document::None) return c.Refuse(kOutOfOrder);
  if (!s.fiscal_day) s.fiscal_day = c.today;
  const int coo = s.NextDocument();
  s.open = Document::Report;
  c.Print("\n     RELATORIO GERENCIAL\nCOO " + Digits(coo, 6) + "\n");
  c.answer = "0" + Digits(coo, 6);
  c.changed = true;
}

void PrintText(Command& c) {
  if (c.state.open != Document::Report) return c.Refuse(kOutOfOrder);
  std::string line = c.params;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  c.Print(line + "\n");
  c.answer = "0";
}

void CloseReport(Command& c) {
  PrinterState& s = c.state;
  if (!c.params.empty()) return c.Refuse(kBadParameters);
  if (s.open != Document::Report) return c.Refuse(kOutOfOrder);
  s.open = Document::None;
  c.Print("---- FIM DO RELATORIO ----\n");
  c.answer = "0" + Digits(s.coo, 6);
  c.changed = true;
}

// The totalizer's letter, the amount in 14 digits, free text after it.
void NonFiscal(Command& c) {
  PrinterState& s = c.state;
  const std::string& p = c.params;
  long long amount = 0;
  if (p.size() < 15 || !ParseDigits(p.substr(1, 14), 14, amount) || amount <= 0) return c.Refuse(kBadParameters);
  const std::size_t slot = static_cast<std::size_t>(p[0] - 'A');
  if (p[0] < 'A' || slot >= s.signed_totalizers.size()) return c.Refuse(kBadParameters);
  if (s.open != Document::None) return c.Refuse(kOutOfOrder);
  if (!s.fiscal_day) s.fiscal_day = c.today;
  const std::string& entry = s.signed_totalizers[slot];
  const int coo = s.NextDocument();
  (entry[0] == '-' ? s.day_withdrawals : s.day_supplies) += amount;
  c.Print("\n  COMPROVANTE NAO FISCAL\nCOO " + Digits(coo, 6) + "\n" + emu::Trim(entry.substr(1)) + " " +
          (entry[0] == '-' ? "-" : "+") + "R$ " + Money(amount) + "\n" + emu::Trim(p.substr(15)) + "\n");
  c.answer = "0" + Digits(coo, 6);
  c.changed = true;
}

void ReadingX(Command& c) {
  PrinterState& s = c.state;
  if (!c.params.empty()) return c.Refuse(kBadParameters);
  if (s.open != Document::None) return c.Refuse(kOutOfOrder);
  if (!s.fiscal_day) s.fiscal_day = c.today;
  const int coo = s.NextDocument();
  ++s.x_readings;
  c.Print("\n         LEITURA X\nCOO " + Digits(coo, 6) + "\n");
  DayFigures(c);
  c.answer = "0" + Digits(coo, 6);
  c.changed = true;
}

// "ddmmyy" and a zero time "000000".
void ReductionZ(Command& c) {
  PrinterState& s = c.state;
  long long digits = 0;
  if (!ParseDigits(c.params, 12, digits) || c.params.substr(6) != "000000") return c.Refuse(kBadParameters);
  const int day = std::stoi(c.params.substr(0, 2)), month = std::stoi(c.params.substr(2, 2));
  if (!emu::ValidDate(2000 + std::stoi(c.params.substr(4, 2)), month, day)) return c.Refuse(kBadParameters);
  if (s.open != Document::None) return c.Refuse(kOutOfOrder);
  const int coo = s.NextDocument();
  ++s.reductions;
  c.Print("\n        REDUCAO Z " + Digits(s.reductions, 4) + "\nCOO " + Digits(coo, 6) + "\nDIA " +
          (s.fiscal_day ? emu::DayText(*s.fiscal_day) : emu::DayText(c.today)) + "\n");
  DayFigures(c);
  s.day_sales = s.day_supplies = s.day_withdrawals = 0;
  for (Method& m : s.methods) m.day_amount = 0;
  s.fiscal_day.reset();
  c.answer = "0" + Digits(coo, 6);
  c.changed = true;
}

void FiscalMemory(Command& c) {
  PrinterState& s = c.state;
  if (c.params.empty()) return c.Refuse(kBadParameters);
  if (s.open != Document::None) return c.Refuse(kOutOfOrder);
  const int coo = s.NextDocument();
  c.Print("\n LEITURA DA MEMORIA FISCAL\n" + c.params + "\nREDUCOES " + Digits(s.reductions, 4) + "\n");
  c.answer = "0" + Digits(coo, 6);
  c.changed = true;
}

}  // namespace daremu
