#include "emulators/common/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace emu {

namespace chr = std::chrono;

namespace {
chr::year_month_day Civil(int year, int month, int day) {
  return chr::year_month_day{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                             chr::day{static_cast<unsigned>(day)}};
}
}  // namespace

int DayNumber(int year, int month, int day) {
  return static_cast<int>(chr::sys_days{Civil(year, month, day)}.time_since_epoch().count());
}

bool ReductionDue(int fiscal_day, const DateTime& now) {
  const int today = DayNumber(now.year, now.month, now.day);
  return (today > fiscal_day && now.hour >= 2) || today - 1 > fiscal_day;
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
  return Civil(year, month, day).ok();
}

bool ValidTime(int hour, int minute, int second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

std::string DayText(int days) {
  // Written by hand, not by snprintf: a printer answers its fiscal day to
  // nearly every question the driver asks.
  const DateTime d = FromDayNumber(days);
  const int year = d.year % 100;
  if (year < 0) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d", d.day, d.month, year);
    return text;
  }
  const char text[6] = {static_cast<char>('0' + d.day / 10),   static_cast<char>('0' + d.day % 10),
                        static_cast<char>('0' + d.month / 10), static_cast<char>('0' + d.month % 10),
                        static_cast<char>('0' + year / 10),    static_cast<char>('0' + year % 10)};
  return std::string(text, sizeof text);
}

std::string DaySlashed(int days) {
  DateTime d = FromDayNumber(days);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.day, d.month, d.year);
  return text;
}

std::string Format(const DateTime& at, const char* strftime_format) {
  std::tm moment{};
  moment.tm_year = at.year - 1900;
  moment.tm_mon = at.month - 1;
  moment.tm_mday = at.day;
  moment.tm_hour = at.hour;
  moment.tm_min = at.minute;
  moment.tm_sec = at.second;
  // 1970-01-01 was a Thursday.
  moment.tm_wday = ((DayNumber(at.year, at.month, at.day) % 7) + 11) % 7;
  char text[128];
  std::size_t n = std::strftime(text, sizeof text, strftime_format, &moment);
  return std::string(text, n);
}

void Clock::Freeze(const DateTime& at) {
  frozen_ = true;
  at_ = at;
}

void Clock::UseHost(long long offset_seconds) {
  frozen_ = false;
  offset_ = offset_seconds;
}

DateTime Clock::Now() const {
  if (frozen_) return at_;
  std::time_t t = std::time(nullptr) + static_cast<std::time_t>(offset_);
  std::tm local{};
  localtime_r(&t, &local);
  return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

int Clock::Today() const {
  DateTime now = Now();
  return DayNumber(now.year, now.month, now.day);
}

}  // namespace emu
