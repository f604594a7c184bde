// FormatDateTime and the short forms built on the format settings.
#include <array>
#include <cctype>
#include <string>

#include "platform/text/datetime.h"
#include "platform/text/format.h"
#include "platform/base/calendar.h"

namespace platform {
namespace {

// Brazilian names, Windows-1252.
constexpr std::array<const char*, 7> kShortDayNames = {"dom", "seg", "ter", "qua", "qui", "sex", "s\341b"};
constexpr std::array<const char*, 7> kLongDayNames = {"domingo",      "segunda-feira", "ter\347a-feira", "quarta-feira",
                                                      "quinta-feira", "sexta-feira",   "s\341bado"};
constexpr std::array<const char*, 12> kShortMonthNames = {"jan", "fev", "mar", "abr", "mai", "jun",
                                                          "jul", "ago", "set", "out", "nov", "dez"};
constexpr std::array<const char*, 12> kLongMonthNames = {"janeiro",  "fevereiro", "mar\xE7o", "abril",
                                                         "maio",     "junho",     "julho",    "agosto",
                                                         "setembro", "outubro",   "novembro", "dezembro"};

// Expansions of c, ddddd and t nest at most this deep: a format setting
// that names itself cannot loop.
constexpr int kMaxNesting = 3;

struct Parts {
  int year, month, day, hour, minute, second, ms, weekday;  // weekday 0 = Sunday
};

Parts PartsOf(TDateTime value) {
  const calendar::Moment moment = calendar::Split(value);
  Parts p{};
  calendar::CivilFromDays(moment.day, p.year, p.month, p.day);
  p.hour = static_cast<int>(moment.ms / 3600000);
  p.minute = static_cast<int>(moment.ms / 60000 % 60);
  p.second = static_cast<int>(moment.ms / 1000 % 60);
  p.ms = static_cast<int>(moment.ms % 1000);
  // 30 December 1899 was a Saturday.
  p.weekday = static_cast<int>(((moment.day + 6) % 7 + 7) % 7);
  return p;
}

std::string Padded(int value, size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

void Append(std::string& out, const std::string& format, const Parts& p, int depth) {
  const TFormatSettings& settings = FormatSettings();
  char last_letter = 0;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char token = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t run = 1;
    while (i + run < format.size() && std::tolower(static_cast<unsigned char>(format[i + run])) == token) ++run;
    const bool nest = depth < kMaxNesting;
    switch (token) {
      case '"':
      case '\'': {
        const size_t close = format.find(c, i + 1);
        const size_t end = close == std::string::npos ? format.size() : close;
        out.append(format, i + 1, end - i - 1);
        i = end + 1;
        continue;
      }
      case 'c':
        if (nest) {
          Append(out, settings.ShortDateFormat, p, depth + 1);
          out += ' ';
          Append(out, settings.LongTimeFormat, p, depth + 1);
        }
        run = 1;
        break;
      case 'd':
        if (run <= 2)
          out += Padded(p.day, run);
        else if (run == 3)
          out += kShortDayNames[p.weekday];
        else if (run == 4)
          out += kLongDayNames[p.weekday];
        else if (nest)
          Append(out, settings.ShortDateFormat, p, depth + 1);
        break;
      case 'm':
        if (last_letter == 'h')
          out += Padded(p.minute, run >= 2 ? 2 : 1);
        else if (run <= 2)
          out += Padded(p.month, run);
        else if (run == 3)
          out += kShortMonthNames[p.month - 1];
        else
          out += kLongMonthNames[p.month - 1];
        break;
      case 'y':
        out += run <= 2 ? Padded(p.year % 100, 2) : Padded(p.year, 4);
        break;
      case 'h':
        out += Padded(p.hour, run >= 2 ? 2 : 1);
        break;
      case 'n':
        out += Padded(p.minute, run >= 2 ? 2 : 1);
        break;
      case 's':
        out += Padded(p.second, run >= 2 ? 2 : 1);
        break;
      case 'z':
        out += run >= 2 ? Padded(p.ms, 3) : std::to_string(p.ms);
        break;
      case 't':
        if (nest) Append(out, run >= 2 ? settings.LongTimeFormat : settings.ShortTimeFormat, p, depth + 1);
        break;
      case '/':
        out += settings.DateSeparator;
        run = 1;
        break;
      case ':':
        out += settings.TimeSeparator;
        run = 1;
        break;
      default:
        out += c;
        run = 1;
        break;
    }
    if (token >= 'a' && token <= 'z') last_letter = token;
    i += run;
  }
}

}  // namespace

std::string FormatDateTime(const std::string& format, TDateTime value) {
  if (format.empty()) return DateTimeToStr(value);
  std::string out;
  Append(out, format, PartsOf(value), 0);
  return out;
}

std::string DateTimeToStr(TDateTime value) {
  const TFormatSettings& settings = FormatSettings();
  return FormatDateTime(settings.ShortDateFormat + " " + settings.LongTimeFormat, value);
}

std::string DateToStr(TDateTime value) { return FormatDateTime(FormatSettings().ShortDateFormat, value); }

std::string TimeToStr(TDateTime value) { return FormatDateTime(FormatSettings().LongTimeFormat, value); }

}  // namespace platform
