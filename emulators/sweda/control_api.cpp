// The bench's control interface (sersweda_control.h).
#include <algorithm>
#include <cstring>
#include <sstream>

#include "emulators/bematech/fields.h"
#include "emulators/sweda/emulator.h"

#pragma GCC visibility push(default)
#include "emulators/sweda/sersweda_control.h"
#pragma GCC visibility pop

using swdemu::Emulator;

namespace {

Emulator& Printer() { return Emulator::Instance(); }

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

std::vector<std::string> Lines(const std::string& text, char separator) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line, separator)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!mp20emu::Trim(line).empty()) lines.push_back(line);
  }
  return lines;
}

int CopyOut(const std::string& text, char* buf, int size) {
  if (buf && size > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
  }
  return static_cast<int>(text.size());
}

}  // namespace

extern "C" {

void SwdEmu_Reset(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().Reset();
}

void SwdEmu_PowerCycle(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().PowerCycle();
}

void SwdEmu_SetStateFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetStateFile(Text(path));
}

void SwdEmu_SetTapeFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetTapeFile(Text(path));
}

void SwdEmu_SetModel(int tipo) {
  std::lock_guard lock(Printer().mutex);
  if (tipo < 3 || tipo > 6) return;
  Printer().state().model = tipo;
  Printer().Changed();
}

int SwdEmu_Model(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().model;
}

void SwdEmu_SetClock(int year, int month, int day, int hour, int minute, int second) {
  std::lock_guard lock(Printer().mutex);
  if (!mp20emu::ValidDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return;
  Printer().clock().Freeze(mp20emu::DateTime{year, month, day, hour, minute, second});
}

void SwdEmu_UseHostClock(long long offset_seconds) {
  std::lock_guard lock(Printer().mutex);
  Printer().clock().UseHost(offset_seconds);
}

void SwdEmu_SetFiscalDay(int year, int month, int day, int open) {
  std::lock_guard lock(Printer().mutex);
  if (!mp20emu::ValidDate(year, month, day)) return;
  Printer().state().fiscal_day = mp20emu::DayNumber(year, month, day);
  Printer().state().day_open = open != 0;
  Printer().Changed();
}

void SwdEmu_SetIdentity(const char* ecf, const char* serial) {
  std::lock_guard lock(Printer().mutex);
  if (ecf) Printer().state().ecf = ecf;
  if (serial) Printer().state().serial = serial;
  Printer().Changed();
}

void SwdEmu_SetRates(const char* rates) {
  std::lock_guard lock(Printer().mutex);
  auto& table = Printer().state().rates;
  table = {};
  std::size_t i = 0;
  for (const std::string& entry : Lines(Text(rates), ','))
    if (i < table.size()) table[i++] = entry.substr(0, swdemu::kRateEntry);
  Printer().Changed();
}

void SwdEmu_SetPaymentMethods(const char* methods) {
  std::lock_guard lock(Printer().mutex);
  auto& table = Printer().state().methods;
  table = {};
  std::size_t i = 0;
  for (const std::string& line : Lines(Text(methods), '\n')) {
    if (i >= table.size()) break;
    const bool flagged = line.size() > 2 && line[1] == '|';
    table[i++] = swdemu::Method{flagged ? line[0] : 'S', line.substr(flagged ? 2 : 0, swdemu::kMethodName)};
  }
  Printer().Changed();
}

void SwdEmu_SetTotalizers(const char* entries) {
  std::lock_guard lock(Printer().mutex);
  auto& table = Printer().state().totalizers;
  table = {};
  std::size_t i = 0;
  for (const std::string& entry : Lines(Text(entries), '\n'))
    if (i < table.size()) table[i++] = entry.substr(0, swdemu::kTotalizerEntry);
  Printer().Changed();
}

int SwdEmu_PaymentMethods(char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  std::string text;
  for (const swdemu::Method& m : Printer().state().methods)
    if (!m.name.empty()) text += std::string(1, m.flag) + "|" + m.name + "\n";
  return CopyOut(text, buf, size);
}

int SwdEmu_Totalizers(char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  std::string text;
  for (const std::string& entry : Printer().state().totalizers)
    if (!entry.empty()) text += entry + "\n";
  return CopyOut(text, buf, size);
}

void SwdEmu_HoldBusy(int frames) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().busy = frames;
}

void SwdEmu_Refuse(const char* code, const char* text, int count) {
  std::lock_guard lock(Printer().mutex);
  auto& f = Printer().faults();
  f.refuse_code = Text(code);
  f.refuse_text = Text(text);
  f.refuse = count;
}

void SwdEmu_QueueState(const char* word_or_code) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().states.push_back(Text(word_or_code));
}

void SwdEmu_SetPaper(int level) {
  std::lock_guard lock(Printer().mutex);
  Printer().peripherals().paper = std::clamp(level, 0, 2);
}

void SwdEmu_SetPortAvailable(int available) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetPortAvailable(available != 0);
}

void SwdEmu_SetSilent(int silent) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().silent = silent != 0;
}

int SwdEmu_FrameCount(void) {
  std::lock_guard lock(Printer().mutex);
  return static_cast<int>(Printer().frames().size());
}

int SwdEmu_Frame(int index, char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  const auto& frames = Printer().frames();
  if (index < 0 || static_cast<std::size_t>(index) >= frames.size()) return -1;
  return CopyOut(frames[static_cast<std::size_t>(index)], buf, size);
}

void SwdEmu_ClearFrames(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().ClearFrames();
}

int SwdEmu_OpenedPort(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().opened_port();
}

int SwdEmu_ClosedPort(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().closed_port();
}

int SwdEmu_Tape(char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  return CopyOut(Printer().tape().Printed(), buf, size);
}

void SwdEmu_ClearTape(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().tape().ClearCopy();
}

int SwdEmu_CouponNumber(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().coo;
}

int SwdEmu_ReductionCount(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().reductions;
}

int SwdEmu_CouponOpen(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().coupon_open ? 1 : 0;
}

int SwdEmu_ReportOpen(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().report_open ? 1 : 0;
}

int SwdEmu_CheckInProgress(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().check_in_progress ? 1 : 0;
}

double SwdEmu_GrandTotal(void) {
  std::lock_guard lock(Printer().mutex);
  return static_cast<double>(Printer().state().grand_total) / 100.0;
}

void SwdEmu_SetDrawerOpen(int open) {
  std::lock_guard lock(Printer().mutex);
  Printer().peripherals().drawer_open = open != 0;
}

int SwdEmu_DrawerOpen(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().peripherals().drawer_open ? 1 : 0;
}

}  // extern "C"
