// StrToFloat: amounts typed by the operator or written by other programs.
#include <charconv>
#include <cmath>

#include "platform/base/errors.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace platform {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Rewrites the text in the form from_chars reads ('.' as the point), or
// answers false when it is not a plain number.
bool Normalize(const std::string& text, std::string& plain) {
  const std::string s = Trim(text);
  const char separator = FormatSettings().DecimalSeparator;
  size_t i = 0;
  plain.clear();
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') plain += '-';
    ++i;
  }
  int digits = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      plain += s[i];
      ++digits;
    } else if ((s[i] == separator || s[i] == '.') && !point) {
      plain += '.';
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    const size_t first = i;
    while (i < s.size() && IsDigit(s[i])) plain += s[i++];
    if (i == first) return false;
  }
  return i == s.size();
}

}  // namespace

bool TryStrToFloat(const std::string& text, double& value) {
  std::string plain;
  if (!Normalize(text, plain)) return false;
  double result = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), result);
  if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(result)) return false;
  value = result;
  return true;
}

double StrToFloat(const std::string& text) {
  double value = 0;
  if (!TryStrToFloat(text, value)) throw EConvertError("'" + text + "' n\xE3o \xE9 um n\xFAmero v\xE1lido");
  return value;
}

}  // namespace platform
