#include "emulators/bematech/emu_clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace mp20emu {

namespace chr = std::chrono;

int DayNumber(int year, int month, int day) {
  chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                          chr::day{static_cast<unsigned>(day)}};
  return static_cast<int>(chr::sys_days{ymd}.time_since_epoch().count());
}

DateTime FromDayNumber(int days) {
  chr::year_month_day ymd{chr::sys_days{chr::days{days}}};
  DateTime d;
  d.year = static_cast<int>(ymd.year());
  d.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  d.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  return d;
}

bool ValidDate(int year, int month, int day) {
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  return chr::year_month_day{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                             chr::day{static_cast<unsigned>(day)}}
      .ok();
}

std::string DayText(int days) {
  DateTime d = FromDayNumber(days);
  char text[16];
  std::snprintf(text, sizeof text, "%02d%02d%02d", d.day, d.month, d.year % 100);
  return text;
}

std::string DaySlashed(int days) {
  DateTime d = FromDayNumber(days);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.day, d.month, d.year);
  return text;
}

void EmuClock::Freeze(const DateTime& at) {
  frozen_ = true;
  at_ = at;
}

void EmuClock::UseHost(long long offset_seconds) {
  frozen_ = false;
  offset_ = offset_seconds;
}

DateTime EmuClock::Now() const {
  if (frozen_) return at_;
  std::time_t t = std::time(nullptr) + static_cast<std::time_t>(offset_);
  std::tm local{};
  localtime_r(&t, &local);
  return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec};
}

int EmuClock::Today() const {
  DateTime now = Now();
  return DayNumber(now.year, now.month, now.day);
}

}  // namespace mp20emu
