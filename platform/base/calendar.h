// Calendar arithmetic behind TDateTime: whole days since 30 December 1899
// and milliseconds of the day, exact to the millisecond.
#pragma once
#include "platform/base/clock.h"

namespace platform::calendar {

constexpr long long kMsPerDay = 86400000;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// True for 1 January 1 to 31 December 9999.
bool IsValidDate(int year, int month, int day);

long long DaysFromCivil(int year, int month, int day);
void CivilFromDays(long long days, int& year, int& month, int& day);

// A TDateTime split into its day and the milliseconds of that day, rounded
// to the nearest millisecond (10:07:00 never reads as 10:06:59.999). Before
// the epoch the day is negative and the time still counts forward, as the
// component library has it. Raises EConvertError outside years 1 to 9999.
struct Moment {
  long long day = 0;
  long long ms = 0;
};
Moment Split(TDateTime value);
TDateTime Join(long long day, long long ms);

// Milliseconds on a straight time line, for clocks that move forward.
long long ToLinearMs(TDateTime value);
TDateTime FromLinearMs(long long ms);

}  // namespace platform::calendar
