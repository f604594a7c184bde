// The bench's control interface (mp20fi_control.h).
#include <algorithm>
#include <cstring>
#include <sstream>

#include "emulators/bematech/emulator.h"
#include "emulators/bematech/fields.h"

#pragma GCC visibility push(default)
#include "emulators/bematech/mp20fi_control.h"
#pragma GCC visibility pop

using mp20emu::Emulator;

namespace {

Emulator& Printer() { return Emulator::Instance(); }

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

std::vector<std::string> Lines(const std::string& text, char separator) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line, separator)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = mp20emu::Trim(line);
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Copies text into buf (NUL-terminated, cut to size); answers its length.
int CopyOut(const std::string& text, char* buf, int size) {
  if (buf && size > 0) {
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
  }
  return static_cast<int>(text.size());
}

}  // namespace

extern "C" {

void Mp20Emu_Reset(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().Reset();
}

void Mp20Emu_PowerCycle(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().PowerCycle();
}

void Mp20Emu_SetStateFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetStateFile(Text(path));
}

void Mp20Emu_SetTapeFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetTapeFile(Text(path));
}

void Mp20Emu_SetClock(int year, int month, int day, int hour, int minute, int second) {
  std::lock_guard lock(Printer().mutex);
  if (!mp20emu::ValidDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 59)
    return;
  Printer().clock().Freeze(mp20emu::DateTime{year, month, day, hour, minute, second});
}

void Mp20Emu_UseHostClock(long long offset_seconds) {
  std::lock_guard lock(Printer().mutex);
  Printer().clock().UseHost(offset_seconds);
}

void Mp20Emu_SetFiscalDay(int year, int month, int day) {
  std::lock_guard lock(Printer().mutex);
  if (year == 0)
    Printer().state().fiscal_day.reset();
  else if (mp20emu::ValidDate(year, month, day))
    Printer().state().fiscal_day = mp20emu::DayNumber(year, month, day);
  else
    return;
  Printer().Changed();
}

void Mp20Emu_SetIdentity(const char* printer_number, const char* serial) {
  std::lock_guard lock(Printer().mutex);
  if (printer_number) Printer().state().printer_number = printer_number;
  if (serial) Printer().state().serial = serial;
  Printer().Changed();
}

void Mp20Emu_SetRates(const char* rates) {
  std::lock_guard lock(Printer().mutex);
  std::vector<mp20emu::Rate> table;
  for (const std::string& entry : Lines(Text(rates), ',')) {
    auto value = mp20emu::DigitField(entry.substr(0, 4), 4);
    std::string kind = entry.substr(std::min<std::size_t>(4, entry.size()));
    if (!value || (kind != "T" && kind != "S") || table.size() >= mp20emu::kMaxRates) continue;
    table.push_back(mp20emu::Rate{static_cast<int>(*value), kind == "S"});
  }
  Printer().state().rates = table;
  Printer().Changed();
}

void Mp20Emu_SetTotalizers(const char* names) {
  std::lock_guard lock(Printer().mutex);
  std::vector<std::string> table;
  for (const std::string& name : Lines(Text(names), '\n'))
    if (table.size() < mp20emu::kMaxTotalizers) table.push_back(name.substr(0, mp20emu::kTotalizerNameSize));
  Printer().state().totalizers = table;
  Printer().Changed();
}

void Mp20Emu_SetPaymentMethods(const char* names) {
  std::lock_guard lock(Printer().mutex);
  std::vector<std::string> table{"Dinheiro"};
  for (const std::string& name : Lines(Text(names), '\n'))
    if (!mp20emu::SameName(name, "Dinheiro") && table.size() < mp20emu::kMaxMethods)
      table.push_back(name.substr(0, mp20emu::kMethodNameSize));
  Printer().state().methods = table;
  Printer().Changed();
}

void Mp20Emu_ForceStatus(int st1, int st2, int count) {
  std::lock_guard lock(Printer().mutex);
  auto& f = Printer().faults();
  f.forced_st1 = st1 & 0xFF;
  f.forced_st2 = st2 & 0xFF;
  f.forced_count = count;
}

void Mp20Emu_InjectNak(int count) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().nak = count;
}

void Mp20Emu_InjectReturnCode1(int count) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().return_code_1 = count;
}

void Mp20Emu_RefuseTransmission(int count) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().refuse = count;
}

void Mp20Emu_HoldBusy(int polls) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().busy_polls = std::max(polls, 0);
}

void Mp20Emu_SetPaper(int level) {
  std::lock_guard lock(Printer().mutex);
  Printer().peripherals().paper = std::clamp(level, 0, 2);
}

void Mp20Emu_SetPortAvailable(int available) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetPortAvailable(available != 0);
}

int Mp20Emu_FrameCount(void) {
  std::lock_guard lock(Printer().mutex);
  return static_cast<int>(Printer().frames().size());
}

int Mp20Emu_Frame(int index, char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  const auto& frames = Printer().frames();
  if (index < 0 || static_cast<std::size_t>(index) >= frames.size()) return -1;
  return CopyOut(frames[static_cast<std::size_t>(index)], buf, size);
}

void Mp20Emu_ClearFrames(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().ClearFrames();
}

int Mp20Emu_StatusPolls(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().status_polls();
}

int Mp20Emu_Tape(char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  return CopyOut(Printer().tape().Printed(), buf, size);
}

void Mp20Emu_ClearTape(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().tape().ClearCopy();
}

int Mp20Emu_CouponNumber(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().coo;
}

int Mp20Emu_ReductionCount(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().reductions;
}

int Mp20Emu_CouponOpen(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().CouponOpen() ? 1 : 0;
}

double Mp20Emu_GrandTotal(void) {
  std::lock_guard lock(Printer().mutex);
  return static_cast<double>(Printer().state().grand_total) / 100.0;
}

void Mp20Emu_SetDrawerOpen(int open) {
  std::lock_guard lock(Printer().mutex);
  Printer().peripherals().drawer_open = open != 0;
}

int Mp20Emu_DrawerOpen(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().peripherals().drawer_open ? 1 : 0;
}

void Mp20Emu_SetReportFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetReportFile(path && *path ? path : "mp20fi.ret");
}

}  // extern "C"
