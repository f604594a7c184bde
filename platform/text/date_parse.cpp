// StrToDateTime / StrToDate: day, month, year and an optional time of day,
// with the separators of the format settings.
#include <string>

#include "platform/text/datetime.h"
#include "platform/base/errors.h"
#include "platform/text/format.h"
#include "platform/base/calendar.h"
#include "platform/base/sysutils.h"

namespace platform {
namespace {

class Scanner {
 public:
  explicit Scanner(const std::string& text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }

  bool Accept(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  bool SkipBlanks() {
    const size_t start = pos_;
    while (!AtEnd() && static_cast<unsigned char>(text_[pos_]) <= ' ') ++pos_;
    return pos_ > start;
  }

  // A run of 1 to `max_digits` digits.
  bool Number(size_t max_digits, int& value, size_t& digits) {
    value = 0;
    digits = 0;
    while (!AtEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      if (++digits > max_digits) return false;
      value = value * 10 + (text_[pos_++] - '0');
    }
    return digits > 0;
  }

  bool Number(size_t max_digits, int& value) {
    size_t digits = 0;
    return Number(max_digits, value, digits);
  }

 private:
  const std::string& text_;
  size_t pos_ = 0;
};

// Two-digit years belong to the century of the library clock's year.
int FullYear(int year, size_t digits) {
  if (digits > 2) return year;
  int current = 0, month = 0, day = 0;
  DecodeDate(clock::Now(), current, month, day);
  return current / 100 * 100 + year;
}

bool ScanDate(Scanner& in, TDateTime& value) {
  const char separator = FormatSettings().DateSeparator;
  int day = 0, month = 0, year = 0;
  size_t year_digits = 0;
  if (!in.Number(2, day) || !in.Accept(separator) || !in.Number(2, month) || !in.Accept(separator) ||
      !in.Number(4, year, year_digits))
    return false;
  return TryEncodeDate(FullYear(year, year_digits), month, day, value);
}

// hh:nn, hh:nn:ss or hh:nn:ss.zzz
bool ScanTime(Scanner& in, long long& ms_of_day) {
  const char separator = FormatSettings().TimeSeparator;
  int hour = 0, minute = 0, second = 0, ms = 0;
  if (!in.Number(2, hour) || !in.Accept(separator) || !in.Number(2, minute)) return false;
  if (in.Accept(separator)) {
    if (!in.Number(2, second)) return false;
    if (in.Accept('.') || in.Accept(FormatSettings().DecimalSeparator)) {
      size_t digits = 0;
      if (!in.Number(3, ms, digits)) return false;
      for (; digits < 3; ++digits) ms *= 10;
    }
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  ms_of_day = ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
  return true;
}

bool TryParse(const std::string& text, bool with_time, TDateTime& value) {
  const std::string trimmed = Trim(text);
  Scanner in(trimmed);
  TDateTime date = 0;
  long long time = 0;
  if (!ScanDate(in, date)) return false;
  if (with_time && in.SkipBlanks() && !ScanTime(in, time)) return false;
  if (!in.AtEnd()) return false;
  value = calendar::Join(static_cast<long long>(date), time);
  return true;
}

}  // namespace

TDateTime StrToDateTime(const std::string& text) {
  TDateTime value = 0;
  if (!TryParse(text, true, value)) throw EConvertError("'" + text + "' n\xE3o \xE9 uma data e hora v\xE1lida");
  return value;
}

TDateTime StrToDate(const std::string& text) {
  TDateTime value = 0;
  if (!TryParse(text, false, value)) throw EConvertError("'" + text + "' n\xE3o \xE9 uma data v\xE1lida");
  return value;
}

}  // namespace platform
