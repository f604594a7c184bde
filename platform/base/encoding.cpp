#include "platform/base/encoding.h"

#include <array>

namespace platform {
namespace {

// Bytes 0x80-0x9F, where Windows-1252 differs from Latin-1. The five bytes
// the code page leaves undefined keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Reads one well-formed UTF-8 sequence at `i`. On a malformed one answers
// false and moves `i` past its longest valid beginning (at least one byte),
// so each broken sequence costs one '?'.
bool NextCodePoint(const std::string& text, size_t& i, char32_t& cp) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i++);
  int more = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead < 0x80) {
    cp = lead;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
  } else {
    return false;
  }
  for (int k = 0; k < more; ++k) {
    if (i >= text.size()) return false;
    const unsigned char next = byte(i);
    const bool ok = k == 0 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
    if (!ok) return false;
    cp = (cp << 6) | (next & 0x3F);
    ++i;
  }
  return true;
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

int UnicodeToCp1252(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<int>(code_point);
  for (size_t k = 0; k < kHighControls.size(); ++k)
    if (kHighControls[k] == code_point) return static_cast<int>(0x80 + k);
  return -1;
}

std::string Cp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    const int byte = NextCodePoint(text, i, cp) ? UnicodeToCp1252(cp) : -1;
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

bool Utf8ToCp1252Exact(const std::string& text, std::string& out, std::size_t* bad_at) {
  out.clear();
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t at = i;
    char32_t cp = 0;
    const int byte = NextCodePoint(text, i, cp) ? UnicodeToCp1252(cp) : -1;
    if (byte < 0) {
      if (bad_at) *bad_at = at;
      return false;
    }
    out += static_cast<char>(byte);
  }
  return true;
}

}  // namespace platform
