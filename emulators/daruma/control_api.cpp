// The bench's control interface (fs345_control.h).
#include <algorithm>
#include <cstring>
#include <sstream>

#include "emulators/daruma/emulator.h"

#pragma GCC visibility push(default)
#include "emulators/daruma/fs345_control.h"
#pragma GCC visibility pop

using daremu::Emulator;

namespace {

Emulator& Printer() { return Emulator::Instance(); }

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

std::vector<std::string> Lines(const std::string& text, char separator) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line, separator)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Padded(const std::string& text, std::size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

int CopyOut(const std::string& text, char* buf, int size) {
  if (buf && size > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
  }
  return static_cast<int>(text.size());
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

extern "C" {

void DarEmu_Reset(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().Reset();
}

void DarEmu_PowerCycle(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().PowerCycle();
}

void DarEmu_SetModel(int tipo) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetModel(tipo);
}

int DarEmu_Model(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().model;
}

void DarEmu_SetStateFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetStateFile(Text(path));
}

void DarEmu_SetTapeFile(const char* path) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetTapeFile(Text(path));
}

void DarEmu_SetClock(int year, int month, int day, int hour, int minute, int second) {
  std::lock_guard lock(Printer().mutex);
  Printer().clock().Freeze({year, month, day, hour, minute, second});
}

void DarEmu_UseHostClock(long long offset_seconds) {
  std::lock_guard lock(Printer().mutex);
  Printer().clock().UseHost(offset_seconds);
}

void DarEmu_SetFiscalDay(int year, int month, int day) {
  std::lock_guard lock(Printer().mutex);
  if (year == 0) {
    Printer().state().fiscal_day.reset();
  } else {
    Printer().state().fiscal_day = daremu::DayNumber(year, month, day);
  }
  Printer().Changed();
}

void DarEmu_SetIdentity(const char* ecf, const char* serial) {
  std::lock_guard lock(Printer().mutex);
  Printer().state().ecf = Text(ecf);
  Printer().state().serial = Text(serial);
  Printer().Changed();
}

void DarEmu_SetRates(const char* rates) {
  std::lock_guard lock(Printer().mutex);
  std::vector<daremu::Rate> table;
  for (const std::string& entry : Lines(Text(rates), ',')) {
    if (entry.size() != 5 || table.size() >= daremu::kRateSlots) continue;
    long long value = 0;
    if (!daremu::ParseDigits(entry.substr(1), 4, value)) continue;
    table.push_back({entry[0], static_cast<int>(value)});
  }
  Printer().state().rates = table;
  Printer().Changed();
}

void DarEmu_SetSignedTotalizers(const char* entries) {
  std::lock_guard lock(Printer().mutex);
  std::vector<std::string> table;
  for (const std::string& e : Lines(Text(entries), '\n'))
    table.push_back(e.substr(0, 1) + Padded(e.substr(1), daremu::kTotalizerName));
  Printer().state().signed_totalizers = table;
  Printer().Changed();
}

void DarEmu_SetNamedTotalizers(const char* names) {
  std::lock_guard lock(Printer().mutex);
  std::vector<std::string> table;
  for (const std::string& e : Lines(Text(names), '\n')) table.push_back(Padded(e, daremu::kTotalizerName));
  Printer().state().named_totalizers = table;
  Printer().Changed();
}

void DarEmu_SetPaymentMethods(const char* entries) {
  std::lock_guard lock(Printer().mutex);
  std::vector<daremu::Method> table;
  for (const std::string& e : Lines(Text(entries), '\n')) table.push_back({e[0], e.substr(1), 0});
  Printer().state().methods = table;
  Printer().Changed();
}

void DarEmu_LeaveOpen(int document) {
  std::lock_guard lock(Printer().mutex);
  daremu::PrinterState& s = Printer().state();
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
  Printer().Changed();
}

void DarEmu_UnstableReads(int reads) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().unstable_reads = reads;
}

void DarEmu_FailSend(int count) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().fail_send = count;
}

void DarEmu_AnswerError(int code, int count) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().error_after = 0;
  Printer().faults().error_code = code;
  Printer().faults().error_count = count;
}

void DarEmu_AnswerErrorAfter(int commands, int code, int count) {
  std::lock_guard lock(Printer().mutex);
  Printer().faults().error_after = commands;
  Printer().faults().error_code = code;
  Printer().faults().error_count = count;
}

void DarEmu_SetPaper(int level) {
  std::lock_guard lock(Printer().mutex);
  Printer().peripherals().paper = level;
}

void DarEmu_SetPortAvailable(int available) {
  std::lock_guard lock(Printer().mutex);
  Printer().SetPortAvailable(available != 0);
}

void DarEmu_SetDrawerOpen(int open) {
  std::lock_guard lock(Printer().mutex);
  Printer().peripherals().drawer_open = open != 0;
}

int DarEmu_FrameCount(void) {
  std::lock_guard lock(Printer().mutex);
  return static_cast<int>(Printer().frames().size());
}

int DarEmu_Frame(int index, char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  const auto& frames = Printer().frames();
  if (index < 0 || static_cast<std::size_t>(index) >= frames.size()) return -1;
  const std::string& f = frames[static_cast<std::size_t>(index)];
  if (buf && size > 0) std::memcpy(buf, f.data(), std::min(f.size(), static_cast<std::size_t>(size)));
  return static_cast<int>(f.size());
}

void DarEmu_ClearFrames(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().ClearFrames();
}

int DarEmu_AnswerReads(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().answer_reads();
}

int DarEmu_PortOpen(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().port_open() ? 1 : 0;
}

int DarEmu_PortString(char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  return CopyOut(Printer().port_string(), buf, size);
}

int DarEmu_Tape(char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  return CopyOut(Printer().tape().Printed(), buf, size);
}

void DarEmu_ClearTape(void) {
  std::lock_guard lock(Printer().mutex);
  Printer().tape().ClearCopy();
}

int DarEmu_CouponNumber(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().coo;
}

int DarEmu_OpenDocument(void) {
  std::lock_guard lock(Printer().mutex);
  return static_cast<int>(Printer().state().open);
}

int DarEmu_ReductionCount(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().reductions;
}

long long DarEmu_GrandTotalCents(void) {
  std::lock_guard lock(Printer().mutex);
  return Printer().state().grand_total;
}

long long DarEmu_DayCents(int what) {
  std::lock_guard lock(Printer().mutex);
  const daremu::PrinterState& s = Printer().state();
  return what == 1 ? s.day_supplies : what == 2 ? s.day_withdrawals : s.day_sales;
}

int DarEmu_Tables(int which, char* buf, int size) {
  std::lock_guard lock(Printer().mutex);
  const daremu::PrinterState& s = Printer().state();
  std::string text;
  const auto add = [&text](const std::string& line) { text += (text.empty() ? "" : "\n") + line; };
  if (which == 0)
    for (const auto& e : s.signed_totalizers) add(TrimRight(e));
  if (which == 1)
    for (const auto& e : s.named_totalizers) add(TrimRight(e));
  if (which == 2)
    for (const auto& m : s.methods) add(std::string(1, m.flag) + m.name);
  if (which == 3)
    for (const auto& r : s.rates) add(std::string(1, r.code) + daremu::Digits(r.hundredths, 4));
  return CopyOut(text, buf, size);
}

}  // extern "C"
