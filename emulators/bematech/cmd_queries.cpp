// Questions the printer answers with data, and the cash drawer.
#include <cstdio>

#include "emulators/bematech/commands.h"
#include "emulators/bematech/shared.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

std::string ClockText(const DateTime& now) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", now.day, now.month, now.year % 100, now.hour, now.minute,
                now.second);
  return text;
}

// Names in slots of 19 bytes, ended by a zero byte.
std::string TotalizerSlots(const FiscalState& s) {
  std::string slots;
  for (const std::string& name : s.totalizers) {
    std::string cut = name.substr(0, kTotalizerNameSize);
    slots += cut + std::string(kTotalizerNameSize - cut.size(), ' ');
  }
  return slots + std::string(1, '\0');
}

// Bit (16 - i) set when rate i is a service rate; high byte first.
std::string ServiceMap(const FiscalState& s) {
  unsigned map = 0;
  for (std::size_t i = 0; i < s.rates.size(); ++i)
    if (s.rates[i].service) map |= 1u << (15 - i);
  return std::string{static_cast<char>(map >> 8), static_cast<char>(map & 0xFF)};
}

// The payment methods as the printer holds them, one slot of 56 bytes per
// programmed method in its order: the name (16 bytes, blank-padded), the
// day's amount (20 digits) and the amount paid with it in the coupon being
// closed, or the last one issued while nothing was printed after it (20
// digits); amounts in cents. The driver reads it to learn whether a payment
// it saw refused was registered all the same.
std::string PaymentMethodSlots(const FiscalState& s) {
  constexpr int kAmountDigits = 20;
  std::string slots;
  for (std::size_t i = 0; i < s.methods.size(); ++i) {
    const int number = static_cast<int>(i + 1);
    long long day = i < s.day.method_amounts.size() ? s.day.method_amounts[i] : 0;
    long long coupon = 0;
    if (s.coupon)
      for (const Payment& p : s.coupon->payments)
        if (p.method == number) coupon += p.amount;
    std::string name = s.methods[i].substr(0, kMethodNameSize);
    slots += name + std::string(kMethodNameSize - name.size(), ' ') + Digits(day, kAmountDigits) +
             Digits(coupon, kAmountDigits);
  }
  return slots;
}

// The fiscal flags, a number in three decimal digits: 1 while a fiscal
// coupon is open, plus 2 once its closing has begun (the start of the
// closing taken, payments being registered). The driver reads it to learn
// where a closing it saw refused stands.
std::string FiscalFlags(const FiscalState& s) {
  int flags = 0;
  if (s.CouponOpen()) {
    flags |= 1;
    if (s.coupon->phase == CouponPhase::Paying) flags |= 2;
  }
  return Digits(flags, 3);
}

struct VariableSpec {
  std::string_view index;
  std::string (*answer)(const Command&);
};

const VariableSpec kVariables[] = {
    {"00", [](const Command& c) { return c.state.serial; }},
    {"14", [](const Command& c) { return c.state.printer_number; }},
    {"17", [](const Command& c) { return FiscalFlags(c.state); }},
    {"23", [](const Command& c) { return ClockText(c.now); }},
    {"25", [](const Command& c) { return TotalizerSlots(c.state); }},
    {"27", [](const Command& c) { return c.state.fiscal_day ? DayText(*c.state.fiscal_day) : std::string(); }},
    {"29", [](const Command& c) { return ServiceMap(c.state); }},
    {"32", [](const Command& c) { return PaymentMethodSlots(c.state); }},
};

}  // namespace

void Variable(Command& c) {
  for (const VariableSpec& v : kVariables)
    if (c.args[0] == v.index) {
      c.answer = v.answer(c);
      return;
    }
  c.Refuse(0, kSt2FieldType);
}

void RateTable(Command& c) {
  c.answer = Digits(static_cast<long long>(c.state.rates.size()), 2);
  for (const Rate& rate : c.state.rates) c.answer += Digits(rate.hundredths, 4);
}

void CouponNumber(Command& c) { c.answer = Digits(c.state.coo, 6); }

// ST1 and ST2 as the printer stands, three decimal digits each.
void StatusText(Command& c) { c.answer = Digits(c.standing_st1, 3) + Digits(c.standing_st2, 3); }

// "1" while the drawer is open, "0" when it is shut.
void DrawerState(Command& c) { c.answer = c.peripherals.drawer_open ? "1" : "0"; }

void OpenDrawer(Command& c) { c.peripherals.drawer_open = true; }

void Acknowledge(Command&) {}

}  // namespace mp20emu
