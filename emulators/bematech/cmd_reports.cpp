// Fiscal readings: X reading, Z reduction, fiscal memory, totals, and the
// reduction report file.
#include "emulators/bematech/commands.h"
#include "emulators/bematech/shared.h"
#include "emulators/bematech/layout.h"
#include "emulators/bematech/reduction_file.h"
#include "emulators/bematech/status_bits.h"
#include "emulators/common/files.h"

namespace mp20emu {

void ReadingX(Command& c) {
  FiscalState& s = c.state;
  if (s.DocumentOpen()) return c.Refuse(0, kSt2NotExecuted);
  int coo = s.NextDocument();
  s.x_readings += 1;
  c.Print(DocumentHeader(s, c.now, coo, "LEITURA X") + DayReport(s, s.day) + FiscalTrailer(s, c.now));
}

void ReductionZ(Command& c) {
  FiscalState& s = c.state;
  // A coupon left open must be cancelled first; a day already reduced
  // today cannot be reduced again.
  if (s.DocumentOpen() || (!s.fiscal_day && s.last_reduction_day == c.today)) return c.Refuse(0, kSt2NotExecuted);
  int day = s.fiscal_day.value_or(c.today);
  int coo = s.NextDocument();
  s.reductions += 1;
  c.Print(DocumentHeader(s, c.now, coo, "REDU\xC7\xC3O Z") + Columns("MOVIMENTO DO DIA", DaySlashed(day)) +
          DayReport(s, s.day) + FiscalTrailer(s, c.now));
  s.reduction_log.push_back(Reduction{s.reductions, day, coo, s.day.gross, s.grand_total});
  s.last_z_totals = s.day;
  s.day = DayTotals{};
  s.fiscal_day.reset();
  s.last_reduction_day = c.today;
}

void FiscalMemoryReading(Command& c) {
  FiscalState& s = c.state;
  const std::string& from = c.args[0];
  const std::string& to = c.args[1];
  // Limits are two dates DDMMYY or two reduction numbers of four digits.
  bool by_date = from.size() == 6 && to.size() == 6;
  bool by_number = from.size() == 4 && to.size() == 4;
  if (!AllDigits(from) || !AllDigits(to) || (!by_date && !by_number)) return c.Refuse(0, kSt2FieldType);
  int low = 0, high = 0;
  if (by_date) {
    int d1 = std::stoi(from.substr(0, 2)), m1 = std::stoi(from.substr(2, 2)), y1 = 2000 + std::stoi(from.substr(4, 2));
    int d2 = std::stoi(to.substr(0, 2)), m2 = std::stoi(to.substr(2, 2)), y2 = 2000 + std::stoi(to.substr(4, 2));
    if (!ValidDate(y1, m1, d1) || !ValidDate(y2, m2, d2)) return c.Refuse(0, kSt2FieldType);
    low = DayNumber(y1, m1, d1);
    high = DayNumber(y2, m2, d2);
  } else {
    low = std::stoi(from);
    high = std::stoi(to);
  }
  if (low > high) return c.Refuse(0, kSt2FieldType);
  if (s.DocumentOpen()) return c.Refuse(0, kSt2NotExecuted);

  int coo = s.NextDocument();
  std::string text = DocumentHeader(s, c.now, coo, "LEITURA DA MEM\xD3RIA FISCAL") +
                     Columns(by_date ? "PER\xCDODO" : "REDU\xC7\325ES", from + " A " + to) + Rule();
  long long sum = 0;
  for (const Reduction& z : s.reduction_log) {
    int key = by_date ? z.day : z.number;
    if (key < low || key > high) continue;
    sum += z.gross;
    text +=
        Columns("CRZ " + Digits(z.number, 4) + " " + DaySlashed(z.day) + " COO " + Digits(z.coo, 6), Money(z.gross));
  }
  c.Print(text + Columns("TOTAL DO PER\xCDODO", Money(sum)) + FiscalTrailer(s, c.now));
}

// Grand total (18 digits), then the day's gross sales, cancellations,
// discounts, surcharges and net sales (14 digits each), COO (6), CRZ (4).
void Totals(Command& c) {
  const FiscalState& s = c.state;
  const DayTotals& t = s.day;
  c.answer = Digits(s.grand_total, 18) + Digits(t.gross, 14) + Digits(t.cancellations, 14) + Digits(t.discounts, 14) +
             Digits(t.surcharges, 14) + Digits(t.Net(), 14) + Digits(s.coo, 6) + Digits(s.reductions, 4);
}

void WriteReductionFile(Command& c) {
  const FiscalState& s = c.state;
  if (!s.last_z_totals || s.reduction_log.empty()) return c.Refuse(0, kSt2NotExecuted);
  std::string text = c.peripherals.report_text
                         ? *c.peripherals.report_text
                         : ReductionReport(s, *s.last_z_totals, s.reduction_log.back(), c.peripherals.restaurant);
  if (!emu::WriteFileAtomic(c.peripherals.report_path, text)) c.Refuse(kSt1PrinterError, 0);
}

}  // namespace mp20emu
