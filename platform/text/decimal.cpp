#include "platform/text/decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace platform::number {
namespace {

Decimal Normalized(Decimal value) {
  const auto first = value.integer.find_first_not_of('0');
  value.integer.erase(0, first == std::string::npos ? value.integer.size() : first);
  const auto last = value.fraction.find_last_not_of('0');
  value.fraction.erase(last == std::string::npos ? 0 : last + 1);
  if (value.IsZero()) value.negative = false;
  return value;
}

// Adds one unit in the last place of a digit run; "999" becomes "1000".
void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

Decimal KeepDecimals(const Decimal& value, int decimals, bool round_half_up) {
  if (decimals >= static_cast<int>(value.fraction.size())) return value;
  std::string digits = value.integer + value.fraction;
  const long long keep = static_cast<long long>(value.integer.size()) + decimals;
  if (keep < 0) return Decimal{};
  const bool up = round_half_up && digits[static_cast<size_t>(keep)] >= '5';
  digits.resize(static_cast<size_t>(keep));
  if (up) Increment(digits);
  Decimal result;
  result.negative = value.negative;
  if (decimals >= 0) {
    // A carry may have lengthened the run: the fraction is always the tail.
    const size_t split = digits.size() - static_cast<size_t>(decimals);
    result.integer = digits.substr(0, split);
    result.fraction = digits.substr(split);
  } else {
    result.integer = digits + std::string(static_cast<size_t>(-decimals), '0');
  }
  return Normalized(result);
}

}  // namespace

Decimal FromDouble(double value, int significant) {
  if (!std::isfinite(value)) return Decimal{};
  significant = std::clamp(significant, 1, 17);
  char buffer[64];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, significant - 1).ptr;
  // d.ddddde[+-]xx
  const std::string text(buffer, end);
  Decimal result;
  size_t i = 0;
  if (text[i] == '-') {
    result.negative = true;
    ++i;
  }
  const size_t e = text.find('e');
  std::string digits;
  for (size_t k = i; k < e; ++k)
    if (text[k] != '.') digits += text[k];
  const int exponent = std::atoi(text.c_str() + e + 1);
  if (exponent >= 0) {
    const size_t point = static_cast<size_t>(exponent) + 1;
    if (digits.size() < point) digits.append(point - digits.size(), '0');
    result.integer = digits.substr(0, point);
    result.fraction = digits.substr(point);
  } else {
    result.fraction = std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  return Normalized(result);
}

Decimal Rounded(const Decimal& value, int decimals) { return KeepDecimals(value, decimals, true); }

Decimal Cut(const Decimal& value, int decimals) { return KeepDecimals(value, decimals, false); }

int Exponent(const Decimal& value) {
  if (!value.integer.empty()) return static_cast<int>(value.integer.size()) - 1;
  if (value.fraction.empty()) return 0;
  return -static_cast<int>(value.fraction.find_first_not_of('0')) - 1;
}

int DecimalsForSignificant(const Decimal& value, int significant) { return significant - 1 - Exponent(value); }

std::string PlainText(const Decimal& value) {
  std::string text = value.negative ? "-" : "";
  text += value.integer.empty() ? "0" : value.integer;
  if (!value.fraction.empty()) text += "." + value.fraction;
  return text;
}

double ToDouble(const Decimal& value) {
  const std::string text = PlainText(value);
  double result = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // 15 digits of the largest double read a shade above it.
    const double magnitude = Exponent(value) > 0 ? std::numeric_limits<double>::max() : 0.0;
    return value.negative ? -magnitude : magnitude;
  }
  return result;
}

std::string GroupThousands(const std::string& digits, char separator) {
  std::string result;
  result.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    result += digits[i];
    const size_t left = digits.size() - 1 - i;
    if (left > 0 && left % 3 == 0) result += separator;
  }
  return result;
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace platform::number
