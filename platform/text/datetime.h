// Date and time values and texts as the component library has them.
// Formats use the patterns d, dd, m, mm, yy, yyyy, h, hh, n, nn, s, ss, zzz,
// '/' (the date separator), ':' (the time separator) and quoted literals.
#pragma once
#include <string>

#include "platform/base/clock.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

// Readings of the library clock (platform/clock.h).
TDateTime Now();
TDateTime Date();  // today at 00:00
TDateTime Time();  // fraction only

// Raise EConvertError on an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

std::string FormatDateTime(const std::string& format, TDateTime value);
// Short date and long time of the format settings: "10/12/2026 14:03:27".
std::string DateTimeToStr(TDateTime value);
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);

// Parses a date, optionally followed by a time, in day/month/year order with
// the settings' separators ("10/12/26 14:03", "10/12/2026"). Two-digit years
// fall in the current century. Raises EConvertError on anything else,
// including an impossible date or time.
TDateTime StrToDateTime(const std::string& text);
TDateTime StrToDate(const std::string& text);

}  // namespace platform

PKG_QDM_PUBLIC_END
