// The Sweda printer's own controls (sersweda_control.h), beside the neutral
// ones every emulator exports (emulators/common/emu_control.h).
#include <algorithm>
#include <cstring>

#include "emulators/common/fields.h"
#include "emulators/sweda/emulator.h"

#pragma GCC visibility push(default)
#include "emulators/sweda/sersweda_control.h"
#pragma GCC visibility pop

using emu::CopyOut;
using swdemu::Emulator;

namespace {

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

// The non-blank pieces, as given (a CR before a '\n' goes).
std::vector<std::string> Lines(const std::string& text, char separator) {
  std::vector<std::string> lines;
  for (std::string line : emu::Split(text, separator)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!emu::Trim(line).empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

extern "C" {

void SwdEmu_SetModel(int tipo) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    if (tipo < 3 || tipo > 6) return 0;
    p.state().model = tipo;
    p.Changed();
    return 0;
  });
}

int SwdEmu_Model(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.state().model; });
}

void SwdEmu_SetFiscalDay(int year, int month, int day, int open) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    if (!emu::ValidDate(year, month, day)) return 0;
    p.state().fiscal_day = emu::DayNumber(year, month, day);
    p.state().day_open = open != 0;
    p.Changed();
    return 0;
  });
}

void SwdEmu_SetIdentity(const char* ecf, const char* serial) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    if (ecf) p.state().ecf = ecf;
    if (serial) p.state().serial = serial;
    p.Changed();
    return 0;
  });
}

void SwdEmu_SetRates(const char* rates) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    auto& table = p.state().rates;
    table = {};
    std::size_t i = 0;
    for (const std::string& entry : Lines(Text(rates), ','))
      if (i < table.size()) table[i++] = entry.substr(0, swdemu::kRateEntry);
    p.Changed();
    return 0;
  });
}

void SwdEmu_SetPaymentMethods(const char* methods) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    auto& table = p.state().methods;
    table = {};
    std::size_t i = 0;
    for (const std::string& line : Lines(Text(methods), '\n')) {
      if (i >= table.size()) break;
      const bool flagged = line.size() > 2 && line[1] == '|';
      table[i++] = swdemu::Method{flagged ? line[0] : 'S', line.substr(flagged ? 2 : 0, swdemu::kMethodName)};
    }
    p.Changed();
    return 0;
  });
}

void SwdEmu_SetTotalizers(const char* entries) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    auto& table = p.state().totalizers;
    table = {};
    std::size_t i = 0;
    for (const std::string& entry : Lines(Text(entries), '\n'))
      if (i < table.size()) table[i++] = entry.substr(0, swdemu::kTotalizerEntry);
    p.Changed();
    return 0;
  });
}

int SwdEmu_PaymentMethods(char* buf, int size) {
  return emu::WithDevice<Emulator>([&](Emulator& p) {
    std::string text;
    for (const swdemu::Method& m : p.state().methods)
      if (!m.name.empty()) text += std::string(1, m.flag) + "|" + m.name + "\n";
    return CopyOut(text, buf, size);
  });
}

int SwdEmu_Totalizers(char* buf, int size) {
  return emu::WithDevice<Emulator>([&](Emulator& p) {
    std::string text;
    for (const std::string& entry : p.state().totalizers)
      if (!entry.empty()) text += entry + "\n";
    return CopyOut(text, buf, size);
  });
}

void SwdEmu_Refuse(const char* code, const char* text, int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    auto& f = p.sweda_faults();
    f.refuse_code = Text(code);
    f.refuse_text = Text(text);
    f.refuse.Set(count);
    return 0;
  });
}

void SwdEmu_RefuseAt(const char* command, const char* code, const char* text, int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    p.FaultAt(Text(command), swdemu::RefusalAnswer(Text(code), Text(text)), count);
    return 0;
  });
}

void SwdEmu_HoldBusyAt(const char* command, int count) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    p.FaultAt(Text(command), swdemu::RefusalAnswer(swdemu::Refusal::Busy), count);
    return 0;
  });
}

void SwdEmu_QueueState(const char* word_or_code) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    p.sweda_faults().states.push_back(Text(word_or_code));
    return 0;
  });
}

int SwdEmu_OpenedPort(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.opened_port(); });
}

int SwdEmu_ClosedPort(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.closed_port(); });
}

int SwdEmu_CouponNumber(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.state().coo; });
}

int SwdEmu_ReductionCount(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.state().reductions; });
}

int SwdEmu_CouponOpen(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.state().coupon_open ? 1 : 0; });
}

int SwdEmu_ReportOpen(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.state().report_open ? 1 : 0; });
}

int SwdEmu_CheckInProgress(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.state().check_in_progress ? 1 : 0; });
}

double SwdEmu_GrandTotal(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return static_cast<double>(p.state().grand_total) / 100.0; });
}

void SwdEmu_SetDrawerOpen(int open) {
  emu::WithDevice<Emulator>([&](Emulator& p) {
    p.peripherals().drawer_open = open != 0;
    return 0;
  });
}

int SwdEmu_DrawerOpen(void) {
  return emu::WithDevice<Emulator>([&](Emulator& p) { return p.peripherals().drawer_open ? 1 : 0; });
}

}  // extern "C"
