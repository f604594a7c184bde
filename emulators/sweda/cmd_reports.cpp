// Readings and reductions, non-fiscal receipts and text, and the queries:
// status, drawer, coupon data and state.
#include "emulators/common/fields.h"
#include "emulators/sweda/commands.h"

namespace swdemu {

namespace {

using emu::Money;
constexpr std::size_t kLineWidth = 40;

// Something printed after a coupon: it can no longer be cancelled.
void NewDocument(PrinterState& s) {
  if (!s.coupon_open) s.coupon.reset();
}

bool ValidDay(const std::string& ddmmyy) {
  if (ddmmyy.size() != 6 || !emu::AllDigits(ddmmyy)) return false;
  return emu::ValidDate(2000 + std::stoi(ddmmyy.substr(4, 2)), std::stoi(ddmmyy.substr(2, 2)),
                        std::stoi(ddmmyy.substr(0, 2)));
}

}  // namespace

void ReadingX(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  NewDocument(s);
  ++s.x_readings;
  c.Print("LEITURA X " + emu::Trim(c.args) + "\nVENDA BRUTA DIARIA  " + Money(s.day_gross) + "\nGT  " +
          Money(s.grand_total) + "\n\n");
}

void ReductionZ(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  // A text of the operator's, then the date of the reduction.
  if (c.args.size() < 6 || !ValidDay(c.args.substr(c.args.size() - 6))) return c.Refuse(Refusal::BadParameter);
  NewDocument(s);
  ++s.reductions;
  c.Print("REDUCAO Z " + emu::Digits(s.reductions, 4) + "  " + emu::DaySlashed(s.fiscal_day) +
          "\nVENDA BRUTA DIARIA  " + Money(s.day_gross) + "\nGT  " + Money(s.grand_total) + "\n\n");
  s.day_open = false;
  s.fiscal_day = c.today;
  s.day_gross = s.day_cancelled = s.day_discounts = 0;
  s.totalizer_amounts.fill(0);
  s.method_amounts.fill(0);
}

void FiscalMemoryReading(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  // Between two dates (DDMMYY twice) or two reduction numbers (4 digits twice).
  const bool dates = c.args.size() == 12 && ValidDay(c.args.substr(0, 6)) && ValidDay(c.args.substr(6));
  const bool numbers = c.args.size() == 8 && emu::AllDigits(c.args);
  if (!dates && !numbers) return c.Refuse(Refusal::BadParameter);
  NewDocument(s);
  c.Print(std::string("LEITURA DA MEMORIA FISCAL ") + (dates ? "DATAS " : "REDUCOES ") +
          c.args.substr(0, c.args.size() / 2) + " A " + c.args.substr(c.args.size() / 2) + "\n\n");
}

void NonFiscalReceipt(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  // Totalizer (2), amount (12), payment method (2), then a text.
  const auto totalizer = Digits(c.args, 0, 2);
  const auto amount = Digits(c.args, 2, 12);
  const auto method = Digits(c.args, 14, 2);
  if (!totalizer || !amount || !method || c.args.size() > 16 + kLineWidth) return c.Refuse(Refusal::BadParameter);
  if (*totalizer < 1 || *totalizer > static_cast<long long>(kTotalizers) || *method < 1 ||
      *method > static_cast<long long>(kMethods))
    return c.Refuse(Refusal::BadParameter);
  const std::string& entry = s.totalizers[static_cast<std::size_t>(*totalizer - 1)];
  if (entry.empty() || entry[0] == '&' || s.methods[static_cast<std::size_t>(*method - 1)].name.empty())
    return c.Refuse(Refusal::BadParameter);
  NewDocument(s);
  StartMovement(s, c.today);
  ++s.coo;
  s.totalizer_amounts[static_cast<std::size_t>(*totalizer - 1)] += *amount;
  s.method_amounts[static_cast<std::size_t>(*method - 1)] += *amount;
  c.Print("COMPROVANTE NAO FISCAL        COO:" + emu::Digits(s.coo, 6) + "\n" + emu::Trim(entry.substr(1)) + "  " +
          Money(*amount) + "\n" + emu::Trim(c.args.substr(16)) + "\n\n");
}

void TextLine(Command& c) {
  PrinterState& s = c.state;
  if (s.coupon_open || s.check_in_progress) return c.Refuse(Refusal::Unfinished);
  if (c.args.size() > kLineWidth) return c.Refuse(Refusal::BadParameter);
  if (!s.report_open) {
    NewDocument(s);
    StartMovement(s, c.today);
    ++s.coo;
    s.report_open = true;
    c.Print("RELATORIO GERENCIAL           COO:" + emu::Digits(s.coo, 6) + "\n");
  }
  c.Print(c.args + "\n");
}

void Status(Command& c) {
  c.answer = std::string(".+P00") + (c.peripherals.paper == emu::Paper::Low ? '5' : '0') + StateWord(c.state)[0] + "}";
}

void DrawerState(Command& c) { c.answer = DrawerAnswer(c.peripherals.drawer_open); }

void OpenDrawer(Command& c) { c.peripherals.drawer_open = true; }

void CouponData(Command& c) {
  if (c.args.empty() || c.args == "1") {
    c.answer = CouponDataAnswer(c.state);
  } else if (c.args == "3") {
    c.answer = IdentityAnswer(c.state);
  } else {
    c.Refuse(Refusal::BadParameter);
  }
}

void State(Command& c) {
  if (!c.args.empty()) return c.Refuse(Refusal::BadParameter);
  c.answer = StateAnswer(c.state, c.now, StateWord(c.state));
}

}  // namespace swdemu
