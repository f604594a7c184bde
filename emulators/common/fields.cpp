#include "emulators/common/fields.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace emu {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::optional<long long> DigitField(std::string_view text, std::size_t width) {
  if (text.size() != width || !AllDigits(text)) return std::nullopt;
  long long value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

std::string Digits(long long value, int width) {
  std::string text;
  AppendDigits(text, value, width);
  return text;
}

void AppendDigits(std::string& out, long long value, int width) {
  char text[32];
  if (value < 0 || width < 0 || width >= static_cast<int>(sizeof text)) {
    std::snprintf(text, sizeof text, "%0*lld", width, value);
    out += text;
    return;
  }
  // The common case by hand: answers are made of many such fields, and
  // snprintf would cost more than the rest of a command.
  char* end = text + sizeof text;
  char* at = end;
  auto rest = static_cast<unsigned long long>(value);
  do {
    *--at = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (end - at < width) {
    char* const start = end - width;
    std::memset(start, '0', static_cast<std::size_t>(at - start));
    at = start;
  }
  out.append(at, end);
}

std::string Money(long long cents) {
  const char* sign = cents < 0 ? "-" : "";
  unsigned long long magnitude =
      cents < 0 ? 0ULL - static_cast<unsigned long long>(cents) : static_cast<unsigned long long>(cents);
  char text[40];
  std::snprintf(text, sizeof text, "%s%llu,%02llu", sign, magnitude / 100, magnitude % 100);
  return text;
}

std::string Quantity(long long thousandths) {
  char text[40];
  if (thousandths % 1000 == 0)
    std::snprintf(text, sizeof text, "%lld", thousandths / 1000);
  else
    std::snprintf(text, sizeof text, "%lld,%03lld", thousandths / 1000, thousandths % 1000);
  return text;
}

std::string Percent(int hundredths) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d,%02d", hundredths / 100, hundredths % 100);
  return text;
}

std::string Trim(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return std::string(text.substr(first, last - first));
}

namespace {
// Upper case of ASCII and of the Windows-1252 accented letters.
unsigned char Fold(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c != 0xF7 && c != 0xFF) return static_cast<unsigned char>(c - 32);
  return c;
}
}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  std::string x = Trim(a), y = Trim(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (Fold(static_cast<unsigned char>(x[i])) != Fold(static_cast<unsigned char>(y[i]))) return false;
  return true;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  pieces.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), separator)) + 1);
  std::size_t start = 0;
  while (true) {
    std::size_t at = text.find(separator, start);
    pieces.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
  return pieces;
}

std::vector<std::string> Entries(std::string_view text, char separator) {
  std::vector<std::string> entries;
  for (const std::string& piece : Split(text, separator))
    if (std::string entry = Trim(piece); !entry.empty()) entries.push_back(entry);
  return entries;
}

std::string Padded(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

int CopyOut(std::string_view bytes, char* buf, int size) {
  if (buf && size > 0) {
    const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buf, bytes.data(), n);
    buf[n] = '\0';
  }
  return static_cast<int>(bytes.size());
}

}  // namespace emu
