// The Daruma's own bench controls (fs345_control.h), each under the
// library's one lock.
#include <algorithm>
#include <cstring>

#include "emulators/common/fields.h"
#include "emulators/daruma/emulator.h"

#pragma GCC visibility push(default)
#include "emulators/daruma/fs345_control.h"
#pragma GCC visibility pop

using daremu::Emulator;
using emu::CopyOut;
using emu::Padded;

namespace {

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A bench change to the fiscal memory, saved at once.
template <typename Change>
void ChangeMemory(Change&& change) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    change(p.state());
    p.Changed();
  });
}

}  // namespace

extern "C" {

void DarEmu_SetModel(int tipo) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.SetModel(tipo); });
}

int DarEmu_Model(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().model; });
}

void DarEmu_SetIdentity(const char* ecf, const char* serial) {
  ChangeMemory([&](daremu::PrinterState& s) {
    s.ecf = Text(ecf);
    s.serial = Text(serial);
  });
}

void DarEmu_SetRates(const char* rates) {
  ChangeMemory([&](daremu::PrinterState& s) {
    s.rates.clear();
    for (const std::string& entry : emu::Entries(Text(rates), ',')) {
      const std::optional<long long> value = emu::DigitField(entry.substr(1), 4);
      if (entry.size() == 5 && value && s.rates.size() < daremu::kRateSlots)
        s.rates.push_back({entry[0], static_cast<int>(*value)});
    }
  });
}

void DarEmu_SetSignedTotalizers(const char* entries) {
  ChangeMemory([&](daremu::PrinterState& s) {
    s.signed_totalizers.clear();
    for (const std::string& e : emu::Entries(Text(entries), '\n'))
      s.signed_totalizers.push_back(e.substr(0, 1) + Padded(e.substr(1), daremu::kTotalizerName));
  });
}

void DarEmu_SetNamedTotalizers(const char* names) {
  ChangeMemory([&](daremu::PrinterState& s) {
    s.named_totalizers.clear();
    for (const std::string& e : emu::Entries(Text(names), '\n'))
      s.named_totalizers.push_back(Padded(e, daremu::kTotalizerName));
  });
}

void DarEmu_SetPaymentMethods(const char* entries) {
  ChangeMemory([&](daremu::PrinterState& s) {
    s.methods.clear();
    for (const std::string& e : emu::Entries(Text(entries), '\n')) s.methods.push_back({e[0], e.substr(1), 0});
  });
}

void DarEmu_LeaveOpen(int document) {
  ChangeMemory([&](daremu::PrinterState& s) {
    s.coupon.reset();
    s.open = daremu::Document::None;
    if (document == 1) {
      daremu::Coupon coupon;
      coupon.coo = s.NextDocument();
      coupon.items.push_back({"0000000000001", "ITEM DEIXADO ABERTO", 'F', 100, 100, 0, false});
      s.coupon = coupon;
      s.open = daremu::Document::Coupon;
    } else if (document == 2) {
      s.NextDocument();
      s.open = daremu::Document::Report;
    }
  });
}

void DarEmu_AnswerError(int code, int count) { DarEmu_AnswerErrorAfter(0, code, count); }

void DarEmu_AnswerErrorAfter(int commands, int code, int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    p.printer_faults().error_after = std::max(commands, 0);
    p.printer_faults().error_code = code;
    p.printer_faults().error.Set(count);
  });
}

void DarEmu_AnswerNothing(int commands, int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    p.printer_faults().silent_after = std::max(commands, 0);
    p.printer_faults().silent.Set(count);
  });
}

void DarEmu_SetDrawerOpen(int open) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.peripherals().drawer_open = open != 0; });
}

int DarEmu_AnswerReads(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.answer_reads(); });
}

int DarEmu_PortString(char* buf, int size) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return CopyOut(p.port_string(), buf, size); });
}

int DarEmu_CouponNumber(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().coo; });
}

int DarEmu_OpenDocument(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return static_cast<int>(p.state().open); });
}

int DarEmu_ReductionCount(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().reductions; });
}

long long DarEmu_GrandTotalCents(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().grand_total; });
}

long long DarEmu_DayCents(int what) {
  return emu::WithDevice<Emulator>([&](Emulator& p) {
    const daremu::PrinterState& s = p.state();
    return what == 1 ? s.day_supplies : what == 2 ? s.day_withdrawals : s.day_sales;
  });
}

int DarEmu_Tables(int which, char* buf, int size) {
  return emu::WithDevice<Emulator>([&](Emulator& p) {
    const daremu::PrinterState& s = p.state();
    std::string text;
    const auto add = [&text](const std::string& line) { text += (text.empty() ? "" : "\n") + line; };
    if (which == 0)
      for (const auto& e : s.signed_totalizers) add(TrimRight(e));
    if (which == 1)
      for (const auto& e : s.named_totalizers) add(TrimRight(e));
    if (which == 2)
      for (const auto& m : s.methods) add(std::string(1, m.flag) + m.name);
    if (which == 3)
      for (const auto& r : s.rates) add(std::string(1, r.code) + emu::Digits(r.hundredths, 4));
    return CopyOut(text, buf, size);
  });
}

}  // extern "C"
