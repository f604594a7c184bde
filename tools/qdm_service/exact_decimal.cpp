#include "tools/qdm_service/exact_decimal.h"

namespace qdm_service {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::int64_t PowerOfTen(int exponent) {
  std::int64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

}  // namespace

DecimalFault ParseDecimal(std::string_view text, const DecimalField& field, std::int64_t& units) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++at;
  const std::size_t int_start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  std::string_view integer = text.substr(int_start, at - int_start);
  std::string_view fraction;
  if (at < text.size() && text[at] == '.') {
    const std::size_t frac_start = ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    fraction = text.substr(frac_start, at - frac_start);
    if (fraction.empty()) return DecimalFault::NotDecimal;
  }
  if (integer.empty() || at != text.size()) return DecimalFault::NotDecimal;

  while (integer.size() > 1 && integer[0] == '0') integer.remove_prefix(1);
  if (integer == "0") integer = {};
  if (fraction.size() > static_cast<std::size_t>(field.decimals)) {
    for (char c : fraction.substr(static_cast<std::size_t>(field.decimals)))
      if (c != '0') return DecimalFault::TooManyDecimals;
    fraction = fraction.substr(0, static_cast<std::size_t>(field.decimals));
  }
  if (integer.size() > static_cast<std::size_t>(field.integer_digits)) return DecimalFault::TooLarge;

  // At most 18 digits in all (every field here holds fewer): no overflow.
  std::int64_t value = 0;
  for (char c : integer) value = value * 10 + (c - '0');
  std::int64_t frac = 0;
  for (char c : fraction) frac = frac * 10 + (c - '0');
  frac *= PowerOfTen(field.decimals - static_cast<int>(fraction.size()));
  value = value * PowerOfTen(field.decimals) + frac;
  if (negative && value != 0 && !field.negative_allowed) return DecimalFault::Negative;
  units = negative ? -value : value;
  return DecimalFault::None;
}

std::string DecimalText(std::int64_t units, int decimals) {
  const bool negative = units < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  std::string digits = std::to_string(magnitude);
  if (digits.size() <= static_cast<std::size_t>(decimals))
    digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
  if (decimals > 0) digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
  return negative ? "-" + digits : digits;
}

double UnitsToDouble(std::int64_t units, int decimals) {
  // Both are whole numbers a double holds exactly (fields here have fewer
  // than 16 digits), and one division rounds once: the double nearest the
  // value.
  return static_cast<double>(units) / static_cast<double>(PowerOfTen(decimals));
}

}  // namespace qdm_service
