// The emulated device's own clock: frozen at a moment (it does not run), or
// the host clock moved by an offset in seconds. Dates are counted as days
// since 1970-01-01 in the civil calendar.
#pragma once
#include <string>

namespace emu {

struct DateTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

int DayNumber(int year, int month, int day);
DateTime FromDayNumber(int days);
bool ValidDate(int year, int month, int day);
bool ValidTime(int hour, int minute, int second);
// The fiscal day's rule: the day's Z reduction is due from 2 o'clock of the
// next day on, and at any hour once two days have passed; until then the
// printer takes movement on the fiscal day `fiscal_day` (a day number).
bool ReductionDue(int fiscal_day, const DateTime& now);
// "DDMMYY"
std::string DayText(int days);
// "dd/mm/yyyy"
std::string DaySlashed(int days);
// The moment in a strftime format ("%Y%m%d%H%M%S").
std::string Format(const DateTime& at, const char* strftime_format);

class Clock {
 public:
  void Freeze(const DateTime& at);
  void UseHost(long long offset_seconds);
  DateTime Now() const;
  int Today() const;

 private:
  bool frozen_ = false;
  DateTime at_;
  long long offset_ = 0;
};

}  // namespace emu
