#include "platform/base/calendar.h"

#include <cmath>

#include "platform/base/errors.h"

namespace platform::calendar {
namespace {

// Civil-date algorithms counted from 1 March 0000 (proleptic Gregorian).
constexpr long long DaysFromCivilEpoch0(long long y, long long m, long long d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

constexpr long long kEpoch = DaysFromCivilEpoch0(1899, 12, 30);
constexpr double kFirstDay = -693593.0;  // 1 January 0001
constexpr double kLastDay = 2958466.0;   // 1 January 10000

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

long long DaysFromCivil(int year, int month, int day) { return DaysFromCivilEpoch0(year, month, day) - kEpoch; }

void CivilFromDays(long long days, int& year, int& month, int& day) {
  const long long z = days + kEpoch;
  const long long era = FloorDiv(z, 146097);
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

Moment Split(TDateTime value) {
  if (!std::isfinite(value) || value < kFirstDay - 1 || value >= kLastDay)
    throw EConvertError("Valor de data e hora inv\xE1lido");
  const long long total = std::llround(std::fabs(value) * static_cast<double>(kMsPerDay));
  Moment moment{total / kMsPerDay, total % kMsPerDay};
  if (value < 0) moment.day = -moment.day;
  return moment;
}

TDateTime Join(long long day, long long ms) {
  const double fraction = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  return day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
}

long long ToLinearMs(TDateTime value) {
  const Moment moment = Split(value);
  return moment.day * kMsPerDay + moment.ms;
}

TDateTime FromLinearMs(long long ms) {
  const long long day = FloorDiv(ms, kMsPerDay);
  return Join(day, ms - day * kMsPerDay);
}

}  // namespace platform::calendar
