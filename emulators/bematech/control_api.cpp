// The MP-20 FI's own bench controls (mp20fi_control.h); the neutral ones
// are emulators/common's.
#include <algorithm>
#include <string>
#include <vector>

#include "emulators/bematech/emulator.h"
#include "emulators/bematech/shared.h"

#pragma GCC visibility push(default)
#include "emulators/bematech/mp20fi_control.h"
#pragma GCC visibility pop

using mp20emu::Emulator;

namespace {
std::string Text(const char* text) { return text ? std::string(text) : std::string(); }
}  // namespace

extern "C" {

void Mp20Emu_SetIdentity(const char* printer_number, const char* serial) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    if (printer_number) p.state().printer_number = printer_number;
    if (serial) p.state().serial = serial;
    p.Changed();
  });
}

void Mp20Emu_SetRates(const char* rates) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    std::vector<mp20emu::Rate> table;
    for (const std::string& entry : emu::Entries(Text(rates), ',')) {
      auto value = mp20emu::DigitField(entry.substr(0, 4), 4);
      std::string kind = entry.substr(std::min<std::size_t>(4, entry.size()));
      if (!value || (kind != "T" && kind != "S") || table.size() >= mp20emu::kMaxRates) continue;
      table.push_back(mp20emu::Rate{static_cast<int>(*value), kind == "S"});
    }
    p.state().rates = table;
    p.Changed();
  });
}

void Mp20Emu_SetTotalizers(const char* names) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    std::vector<std::string> table;
    for (const std::string& name : emu::Entries(Text(names), '\n'))
      if (table.size() < mp20emu::kMaxTotalizers) table.push_back(name.substr(0, mp20emu::kTotalizerNameSize));
    p.state().totalizers = table;
    p.Changed();
  });
}

void Mp20Emu_SetPaymentMethods(const char* names) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    std::vector<std::string> table{"Dinheiro"};
    for (const std::string& name : emu::Entries(Text(names), '\n'))
      if (!mp20emu::SameName(name, "Dinheiro") && table.size() < mp20emu::kMaxMethods)
        table.push_back(name.substr(0, mp20emu::kMethodNameSize));
    p.state().methods = table;
    p.Changed();
  });
}

void Mp20Emu_ForceStatus(int st1, int st2, int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    auto& f = p.printer_faults();
    f.forced_st1 = st1 & 0xFF;
    f.forced_st2 = st2 & 0xFF;
    f.forced.Set(count);
  });
}

void Mp20Emu_InjectNak(int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.printer_faults().nak.Set(count); });
}

void Mp20Emu_InjectReturnCode1(int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.printer_faults().return_code_1.Set(count); });
}

void Mp20Emu_FailCommand(const char* code, int st1, int st2, int after_executing, int count) {
  if (!code || !*code) return;
  emu::WithDevice<Emulator>([&](Emulator& p) {
    mp20emu::CommandFault fault;
    fault.code = code;
    fault.st1 = st1 & 0xFF;
    fault.st2 = st2 & 0xFF;
    fault.after_executing = after_executing != 0;
    fault.count.Set(count);
    p.printer_faults().SetCommandFault(std::move(fault));
  });
}

void Mp20Emu_CutAnswer(const char* code, int length, int count) {
  if (!code || !*code) return;
  emu::WithDevice<Emulator>([&](Emulator& p) {
    mp20emu::AnswerCut cut;
    cut.code = code;
    cut.length = static_cast<std::size_t>(std::max(length, 0));
    cut.count.Set(count);
    p.printer_faults().SetAnswerCut(std::move(cut));
  });
}

int Mp20Emu_StatusPolls(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.status_polls(); });
}

int Mp20Emu_CouponNumber(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().coo; });
}

int Mp20Emu_ReductionCount(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().reductions; });
}

int Mp20Emu_CouponOpen(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.state().CouponOpen() ? 1 : 0; });
}

double Mp20Emu_GrandTotal(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return static_cast<double>(p.state().grand_total) / 100.0; });
}

void Mp20Emu_SetDrawerOpen(int open) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.peripherals().drawer_open = open != 0; });
}

int Mp20Emu_DrawerOpen(void) {
  return emu::WithDevice<Emulator>([](Emulator& p) { return p.peripherals().drawer_open ? 1 : 0; });
}

void Mp20Emu_SetReportFile(const char* path) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.SetReportFile(path && *path ? path : "mp20fi.ret"); });
}

void Mp20Emu_SetReportText(const char* text) {
  emu::WithDevice<Emulator>(
      [&](Emulator& p) { p.SetReportText(text && *text ? std::optional<std::string>(text) : std::nullopt); });
}

void Mp20Emu_SetRestaurantModel(int restaurant) {
  emu::WithDevice<Emulator>([&](Emulator& p) { p.peripherals().restaurant = restaurant != 0; });
}

}  // extern "C"
