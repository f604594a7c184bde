#include "platform/base/sysutils.h"

#include <algorithm>
#include <charconv>

#include "platform/base/errors.h"

namespace platform {
namespace {

// Controls and the blank; bytes from 0x80 up are letters of the code page.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Optional sign and decimal digits between blanks, within the type's range.
template <typename Int>
bool ParseInteger(const std::string& text, Int& value) {
  const std::string s = Trim(text);
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') {
    ++first;
    if (first != last && *first == '-') return false;  // "+-1"
  }
  Int result = 0;
  const auto [end, ec] = std::from_chars(first, last, result, 10);
  if (ec != std::errc() || end != last) return false;
  value = result;
  return true;
}

[[noreturn]] void NotAnInteger(const std::string& text) {
  throw EConvertError("'" + text + "' n\xE3o \xE9 um valor inteiro v\xE1lido");
}

}  // namespace

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::string TrimLeft(const std::string& s) {
  const auto first = std::find_if_not(s.begin(), s.end(), IsBlank);
  return std::string(first, s.end());
}

std::string TrimRight(const std::string& s) {
  const auto last = std::find_if_not(s.rbegin(), s.rend(), IsBlank).base();
  return std::string(s.begin(), last);
}

std::string UpperCase(const std::string& s) {
  std::string result = s;
  std::transform(result.begin(), result.end(), result.begin(), ToUpper);
  return result;
}

std::string LowerCase(const std::string& s) {
  std::string result = s;
  std::transform(result.begin(), result.end(), result.begin(), ToLower);
  return result;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ToUpper(x) == ToUpper(y); });
}

std::string Copy(const std::string& s, int index, int count) {
  const long long size = static_cast<long long>(s.size());
  const long long first = std::max(index, 1);
  if (count <= 0 || first > size) return "";
  const long long length = std::min<long long>(count, size - first + 1);
  return s.substr(static_cast<size_t>(first - 1), static_cast<size_t>(length));
}

int Pos(const std::string& sub, const std::string& s) {
  if (sub.empty()) return 0;
  const size_t at = s.find(sub);
  return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

void Delete(std::string& s, int index, int count) {
  const long long size = static_cast<long long>(s.size());
  if (index < 1 || index > size || count <= 0) return;
  const long long length = std::min<long long>(count, size - index + 1);
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(length));
}

std::string IntToStr(long long value) { return std::to_string(value); }

int StrToInt(const std::string& s) {
  int value = 0;
  if (!ParseInteger(s, value)) NotAnInteger(s);
  return value;
}

long long StrToInt64(const std::string& s) {
  long long value = 0;
  if (!ParseInteger(s, value)) NotAnInteger(s);
  return value;
}

int StrToIntDef(const std::string& s, int fallback) {
  int value = 0;
  return ParseInteger(s, value) ? value : fallback;
}

bool TryStrToInt(const std::string& s, int& value) { return ParseInteger(s, value); }

}  // namespace platform
