#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <optional>

#include "emulators/daruma/commands.h"

namespace daremu {

namespace {

using emu::kMovement;
using emu::kPrints;

struct OpRules {
  Op op;
  unsigned flags;
  void (*handler)(Command&);
};

constexpr unsigned kSale = kPrints | kMovement;
// Questions: they answer from the memory and change nothing in it.
constexpr unsigned kAsks = emu::kFirstOwnFlag;

constexpr std::array kRules = {
    OpRules{Op::Status, kAsks, Status},
    OpRules{Op::DocumentState, kAsks, DocumentState},
    OpRules{Op::OpenCoupon, kSale, OpenCoupon},
    OpRules{Op::SellItem, kSale, SellItem},
    OpRules{Op::CancelItem, kSale, CancelItem},
    OpRules{Op::CancelCoupon, kPrints, CancelCoupon},
    OpRules{Op::Totalize, kSale, Totalize},
    OpRules{Op::Pay, kSale, Pay},
    OpRules{Op::CloseCoupon, kSale, CloseCoupon},
    OpRules{Op::CloseCouponAtOnce, kSale, CloseCouponAtOnce},
    OpRules{Op::OpenReport, kSale, OpenReport},
    OpRules{Op::PrintText, kPrints, PrintText},
    OpRules{Op::CloseReport, kPrints, CloseReport},
    OpRules{Op::NonFiscal, kSale, NonFiscal},
    OpRules{Op::NameTotalizer, 0, NameTotalizer},
    OpRules{Op::ProgramMethod, 0, ProgramMethod},
    OpRules{Op::ReadingX, kSale, ReadingX},
    OpRules{Op::ReductionZ, kPrints, ReductionZ},
    OpRules{Op::FiscalMemory, kPrints, FiscalMemory},
    OpRules{Op::Totals, kAsks, Totals},
    OpRules{Op::Rates, kAsks, Rates},
    OpRules{Op::Identity, kAsks, Identity},
    OpRules{Op::FiscalDate, kAsks, FiscalDate},
    OpRules{Op::Clock, kAsks, ClockAnswer},
    OpRules{Op::Tables, kAsks, Tables},
};

std::string Hex(int value, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

}  // namespace

bool ReductionDue(const PrinterState& state, const DateTime& now) {
  return state.fiscal_day && emu::ReductionDue(*state.fiscal_day, now);
}

bool ParseDigits(const std::string& text, int width, long long& value) {
  if (text.empty() || (width > 0 && static_cast<int>(text.size()) != width) || text.size() > 18) return false;
  const std::optional<long long> digits = emu::DigitField(text, text.size());
  if (!digits) return false;
  value = *digits;
  return true;
}

bool AsksOnly(Op op) {
  for (const OpRules& rules : kRules)
    if (rules.op == op) return (rules.flags & kAsks) != 0;
  return false;
}

void Execute(Op op, Command& command) {
  for (const OpRules& rules : kRules) {
    if (rules.op != op) continue;
    switch (emu::CheckCommand(rules.flags, command.peripherals.paper,
                              [&] { return ReductionDue(command.state, command.now); })) {
      case emu::Gate::PaperOut:
        return command.Refuse(kPaperOut);
      case emu::Gate::ReductionDue:
        return command.Refuse(kReductionDue);
      case emu::Gate::Go:
        break;
    }
    rules.handler(command);
    return;
  }
  command.Refuse(kUnknownCommand);
}

// Type 7: ":" and eight hex digits. The first carries the drawer (8: open),
// the second the paper (1 low, 2 out), the third a due reduction, the
// fourth the document: 4 selling, 5 totalled, 6 paying, 8 a report.
// Type 8: ":" and two bytes in hex; the first has 0x80 while the drawer is
// shut, 0x01 for little paper and 0x02 for none.
std::string StatusAnswer(const PrinterState& state, const Peripherals& p, bool due) {
  int document = 0;
  if (state.CouponOpen()) document = 4 + static_cast<int>(state.coupon->phase);
  if (state.open == Document::Report) document = 8;
  if (state.model == 8) {
    const int first =
        (p.drawer_open ? 0 : 0x80) | (p.paper == emu::Paper::Low ? 0x01 : 0) | (p.paper == emu::Paper::Out ? 0x02 : 0);
    return Hex(first, 2) + Hex(due ? 1 : 0, 2);
  }
  return Hex(p.drawer_open ? 8 : 0, 1) + Hex(static_cast<int>(p.paper), 1) + Hex(due ? 1 : 0, 1) + Hex(document, 1) +
         "0000";
}

// The document byte (answered alone to a bare 0x05): 0x40, with 0x04
// while a coupon is open and 0x08 while a report is.
std::string DocumentStateAnswer(const PrinterState& state) {
  int byte = 0x40;
  if (state.CouponOpen()) byte |= 0x04;
  if (state.open == Document::Report) byte |= 0x08;
  return std::string(1, static_cast<char>(byte));
}

void Status(Command& c) { c.answer = StatusAnswer(c.state, c.peripherals, ReductionDue(c.state, c.now)); }

void DocumentState(Command& c) {
  c.answer = DocumentStateAnswer(c.state);
  c.raw = true;
}

void Totals(Command& c) {
  const PrinterState& s = c.state;
  c.answer = "0" + Digits(s.grand_total, 18) + Digits(s.day_sales, 14) + Digits(s.day_supplies, 14) +
             Digits(s.day_withdrawals, 14) + Digits(s.coo, 6) + Digits(s.reductions, 4);
}

// Type 7: the serial (8) at 3, the printer number (4) at 15.
// Type 8: the serial (6) at 3.
void Identity(Command& c) {
  const PrinterState& s = c.state;
  if (s.model == 8) {
    c.answer = "0" + (s.serial + "      ").substr(0, 6) + "0000";
  } else {
    c.answer = "0" + (s.serial + "        ").substr(0, 8) + "0000" + (s.ecf + "0000").substr(0, 4);
  }
}

// Type 7 (0xFA): the fiscal day at 19. Type 8 (0xEF): the printer number
// at 4 and the fiscal day at 23.
void FiscalDate(Command& c) {
  const PrinterState& s = c.state;
  const std::string day = emu::DayText(s.fiscal_day ? *s.fiscal_day : c.today);
  if (s.model == 8) {
    c.answer = "00" + (s.ecf + "0000").substr(0, 4) + Digits(s.coo, 6) + Digits(s.reductions, 4) + "00000" + day;
  } else {
    c.answer = "0" + Digits(s.coo, 6) + Digits(s.reductions, 4) + Digits(s.x_readings, 6) + day;
  }
}

// "DDMMYYhhnnss" at 3, written by hand rather than by strftime: the driver
// reads the clock around most of what it does.
void ClockAnswer(Command& c) {
  const DateTime& now = c.now;
  const int parts[] = {now.day, now.month, now.year % 100, now.hour, now.minute, now.second};
  if (now.year < 0 || std::any_of(std::begin(parts), std::end(parts), [](int part) { return part < 0 || part > 99; })) {
    c.answer = "0" + emu::Format(now, "%d%m%y%H%M%S");
    return;
  }
  c.answer = "0";
  for (const int part : parts) {
    c.answer += static_cast<char>('0' + part / 10);
    c.answer += static_cast<char>('0' + part % 10);
  }
}

}  // namespace daremu
