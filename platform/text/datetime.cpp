// Date and time values: readings of the library clock, encoding, decoding.
#include "platform/text/datetime.h"

#include <cmath>
#include <string>

#include "platform/base/errors.h"
#include "platform/base/calendar.h"

namespace platform {

TDateTime Now() { return clock::Now(); }

TDateTime Date() { return calendar::Join(calendar::Split(clock::Now()).day, 0); }

TDateTime Time() { return calendar::Join(0, calendar::Split(clock::Now()).ms); }

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
  if (!calendar::IsValidDate(year, month, day)) return false;
  value = static_cast<double>(calendar::DaysFromCivil(year, month, day));
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime value = 0;
  if (!TryEncodeDate(year, month, day, value))
    throw EConvertError("Argumento inv\xE1lido para uma data: " + std::to_string(year) + "-" + std::to_string(month) +
                        "-" + std::to_string(day));
  return value;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
      millisecond > 999)
    throw EConvertError("Argumento inv\xE1lido para uma hora: " + std::to_string(hour) + ":" + std::to_string(minute) +
                        ":" + std::to_string(second) + "." + std::to_string(millisecond));
  return calendar::Join(0, ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  calendar::CivilFromDays(calendar::Split(value).day, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
  const long long ms = calendar::Split(value).ms;
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  millisecond = static_cast<int>(ms % 1000);
}

}  // namespace platform
