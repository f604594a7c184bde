#include "platform/dataset/xml_text.h"

#include <charconv>
#include <cmath>

#include "platform/dataset/values.h"
#include "platform/base/encoding.h"

namespace platform::dataset::xml {

namespace {

// The client dataset's own type names. The first entry of a type is the
// one written.
constexpr PacketType kPacketTypes[] = {
    {"string", TFieldType::ftString, 1},     {"string.uni", TFieldType::ftWideString, 2},
    {"i4", TFieldType::ftInteger, 0},        {"i2", TFieldType::ftSmallint, 0},
    {"i1", TFieldType::ftShortint, 0},       {"i8", TFieldType::ftLargeint, 0},
    {"ui1", TFieldType::ftByte, 0},          {"ui2", TFieldType::ftWord, 0},
    {"ui4", TFieldType::ftLongWord, 0},      {"r8", TFieldType::ftFloat, 0},
    {"fixed", TFieldType::ftBCD, 0},         {"fixedFMT", TFieldType::ftFMTBcd, 0},
    {"date", TFieldType::ftDate, 0},         {"time", TFieldType::ftTime, 0},
    {"dateTime", TFieldType::ftDateTime, 0}, {"SQLdateTime", TFieldType::ftTimeStamp, 0},
    {"boolean", TFieldType::ftBoolean, 0},   {"bin.hex", TFieldType::ftBlob, 0},
    {"bin.hex", TFieldType::ftMemo, 0},      {"nested", TFieldType::ftDataSet, 0},
};

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Days from 1970-01-01 of a civil date, and back (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

// Day numbers of the component library count from 1899-12-30.
constexpr long long kEpochShift = 25569;

unsigned DaysInMonth(long long y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, unsigned& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return true;
}

void AppendDigits(std::string& out, unsigned value, int width) {
  char buffer[12];
  for (int i = width - 1; i >= 0; --i) {
    buffer[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(buffer, static_cast<std::size_t>(width));
}

void AppendReference(std::string& out, unsigned code_point) {
  out += "&#";
  AppendInteger(out, code_point);
  out += ';';
}

constexpr char32_t kControlEscape = 0xE000;

bool IsXmlControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

}  // namespace

const PacketType* FindPacketType(std::string_view name) {
  for (const PacketType& t : kPacketTypes) {
    if (name == t.name) return &t;
  }
  return nullptr;
}

const char* PacketTypeName(TFieldType type) {
  for (const PacketType& t : kPacketTypes) {
    if (t.type == type) return t.name;
  }
  return nullptr;
}

bool ParseInteger(std::string_view text, long long& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseReal(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// "hh:nn:ss" at `at`, then the milliseconds ("000" or ".000") up to the
// end of the text.
bool ParseClock(std::string_view text, std::size_t at, long long& ms) {
  unsigned h = 0, n = 0, s = 0;
  if (text.size() < at + 8 || !Digits(text, at, 2, h) || text[at + 2] != ':' || !Digits(text, at + 3, 2, n) ||
      text[at + 5] != ':' || !Digits(text, at + 6, 2, s) || h > 23 || n > 59 || s > 59) {
    return false;
  }
  at += 8;
  unsigned milli = 0;
  if (at < text.size()) {
    const bool point = text[at] == '.';
    const std::size_t count = text.size() - at - (point ? 1 : 0);
    if (count == 0 || count > 3 || !Digits(text, at + (point ? 1 : 0), count, milli)) {
      return false;
    }
    if (point) {
      for (std::size_t i = count; i < 3; ++i) milli *= 10;
    }
  }
  ms = ((h * 60LL + n) * 60 + s) * 1000 + milli;
  return true;
}

bool ParseDateTime(std::string_view text, double& value) {
  unsigned year = 0, month = 0, day = 0;
  std::size_t at = 8;
  if (text.size() >= 10 && text[4] == '-' && text[7] == '-') {
    if (!Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day)) {
      return false;
    }
    at = 10;
  } else if (!Digits(text, 0, 4, year) || !Digits(text, 4, 2, month) || !Digits(text, 6, 2, day)) {
    return false;
  }
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  const long long days = DaysFromCivil(year, month, day) + kEpochShift;
  long long ms = 0;
  if (at < text.size() && (text[at] != 'T' || !ParseClock(text, at + 1, ms))) return false;
  value = ComposeDateTime(days, ms);
  return true;
}

bool ParseTime(std::string_view text, double& value) {
  long long ms = 0;
  if (!ParseClock(text, 0, ms)) return false;
  value = ComposeDateTime(0, ms);
  return true;
}

bool ParseBase64(std::string_view text, std::string& bytes) {
  bytes.clear();
  unsigned bits = 0;
  int count = 0;
  std::size_t padding = 0;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const int v = Base64Value(c);
    if (v < 0 || padding > 0) return false;
    bits = (bits << 6) | static_cast<unsigned>(v);
    if (++count == 4) {
      bytes += static_cast<char>(bits >> 16);
      bytes += static_cast<char>(bits >> 8);
      bytes += static_cast<char>(bits);
      bits = 0;
      count = 0;
    }
  }
  if (count == 1 || padding > 2) return false;
  if (count == 2) bytes += static_cast<char>(bits >> 4);
  if (count == 3) {
    bytes += static_cast<char>(bits >> 10);
    bytes += static_cast<char>(bits >> 2);
  }
  return true;
}

void AppendBase64(std::string& out, std::string_view bytes) {
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out += kBase64[(v >> shift) & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return;
  unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
  if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
  out += kBase64[(v >> 18) & 63];
  out += kBase64[(v >> 12) & 63];
  out += rest == 2 ? kBase64[(v >> 6) & 63] : '=';
  out += '=';
}

bool ParseBoolean(std::string_view text, bool& value) {
  auto same = [&](std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if ((text[i] | 0x20) != word[i]) return false;
    }
    return true;
  };
  if (same("true") || text == "1") {
    value = true;
    return true;
  }
  if (same("false") || text == "0") {
    value = false;
    return true;
  }
  return false;
}

void AppendInteger(std::string& out, long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendReal(std::string& out, double value, int decimals) {
  char buffer[400];
  const double magnitude = std::fabs(value);
  const bool plain = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
  const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, value);
  const std::size_t start = out.size();
  out.append(buffer, result.ptr);
  if (!plain || decimals <= 0) return;
  const std::size_t point = out.find('.', start);
  const std::size_t have = point == std::string::npos ? 0 : out.size() - point - 1;
  if (point == std::string::npos) out += '.';
  for (std::size_t i = have; i < static_cast<std::size_t>(decimals); ++i) out += '0';
}

void AppendDate(std::string& out, double value) {
  long long days = 0, ms = 0;
  SplitDateTime(value, days, ms);
  long long y = 0;
  unsigned m = 0, d = 0;
  CivilFromDays(days - kEpochShift, y, m, d);
  AppendDigits(out, static_cast<unsigned>(y), 4);
  AppendDigits(out, m, 2);
  AppendDigits(out, d, 2);
}

void AppendTime(std::string& out, double value) {
  long long days = 0, ms = 0;
  SplitDateTime(value, days, ms);
  AppendDigits(out, static_cast<unsigned>(ms / 3600000), 2);
  out += ':';
  AppendDigits(out, static_cast<unsigned>(ms / 60000 % 60), 2);
  out += ':';
  AppendDigits(out, static_cast<unsigned>(ms / 1000 % 60), 2);
  AppendDigits(out, static_cast<unsigned>(ms % 1000), 3);
}

void AppendDateTime(std::string& out, double value) {
  AppendDate(out, value);
  out += 'T';
  AppendTime(out, value);
}

void AppendEscaped(std::string& out, std::string_view cp1252) {
  std::size_t run = 0;  // start of the bytes that go as they are
  for (std::size_t i = 0; i < cp1252.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp1252[i]);
    const bool plain = c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"';
    if (plain) continue;
    out.append(cp1252.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (IsXmlControl(c)) {
          AppendReference(out, kControlEscape + c);
        } else {
          AppendReference(out, c >= 0x80 ? Cp1252ToUnicode(c) : c);
        }
    }
  }
  out.append(cp1252.data() + run, cp1252.size() - run);
}

void AppendCp1252(std::string& out, std::string_view utf8) {
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    // Runs of ASCII go across in one piece.
    std::size_t run = i;
    while (run < n && static_cast<unsigned char>(utf8[run]) < 0x80) ++run;
    out.append(utf8.data() + i, run - i);
    i = run;
    if (i >= n) break;
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t cp = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
    bool good = length > 1 && i + length <= n;
    for (std::size_t k = 1; good && k < length; ++k) {
      const auto c = static_cast<unsigned char>(utf8[i + k]);
      good = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    i += good ? length : 1;
    int byte = good ? UnicodeToCp1252(cp) : -1;
    if (byte < 0 && good && cp >= 0x80 && cp <= 0x9F) byte = static_cast<int>(cp);
    if (byte < 0 && good && cp >= kControlEscape && cp < kControlEscape + 0x20) {
      byte = static_cast<int>(cp - kControlEscape);
    }
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
}

bool ParseIndexPart(std::string_view name, long long& number, std::string_view& part) {
  if (!name.starts_with(kIndexPrefix)) return false;
  name.remove_prefix(kIndexPrefix.size());
  const std::size_t digits = name.find('_');
  if (digits == std::string_view::npos || digits == 0 || name[0] == '0') return false;
  for (std::size_t i = 0; i < digits; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  part = name.substr(digits);
  if (part != kIndexName && part != kIndexFields && part != kIndexDescFields) return false;
  return ParseInteger(name.substr(0, digits), number);
}

bool IsXmlNameChar(unsigned char c, bool first) {
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
  const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
  return letter || (!first && other);
}

}  // namespace platform::dataset::xml
