// FloatToStrF and its short forms: general, exponent, fixed, number and
// currency texts of a double read to 15 significant digits.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/text/format.h"
#include "platform/text/decimal.h"

namespace platform {
namespace {

constexpr int kMaxPrecision = 15;  // what a double holds exactly
constexpr int kMaxDecimals = 18;

// Currency layouts as the component library numbers them: '$' is the
// currency string, '1' the amount.
constexpr std::array<const char*, 4> kPositiveCurrency = {"$1", "1$", "$ 1", "1 $"};
constexpr std::array<const char*, 16> kNegativeCurrency = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                                           "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                                           "$ -1", "1- $", "($ 1)", "(1 $)"};

std::string Sign(const number::Decimal& value) { return value.negative ? "-" : ""; }

// Integer and fraction of an already rounded value, fraction padded to
// `decimals` digits.
std::string FixedDigits(const number::Decimal& value, int decimals, bool thousands) {
  const TFormatSettings& settings = FormatSettings();
  const std::string integer = value.integer.empty() ? "0" : value.integer;
  std::string text = thousands ? number::GroupThousands(integer, settings.ThousandSeparator) : integer;
  if (decimals > 0) {
    std::string fraction = value.fraction;
    fraction.append(static_cast<size_t>(decimals) - fraction.size(), '0');
    text += settings.DecimalSeparator + fraction;
  }
  return text;
}

// d,dddE+xx. `full` keeps all `precision` digits and always signs the
// exponent (ffExponent); otherwise trailing zeros go and only '-' shows.
std::string ScientificText(const number::Decimal& value, int precision, int exponent_digits, bool full) {
  const number::Decimal rounded = number::Rounded(value, number::DecimalsForSignificant(value, precision));
  const int exponent = number::Exponent(rounded);
  std::string digits = rounded.integer + rounded.fraction;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.empty()) digits = "0";
  if (full) {
    digits.resize(static_cast<size_t>(precision), '0');
  } else {
    const size_t last = digits.find_last_not_of('0');
    digits.erase(last == std::string::npos ? 1 : last + 1);
  }
  std::string text = Sign(rounded) + digits[0];
  if (digits.size() > 1) text += FormatSettings().DecimalSeparator + digits.substr(1);
  text += 'E';
  if (exponent < 0)
    text += '-';
  else if (full)
    text += '+';
  std::string power = std::to_string(std::abs(exponent));
  if (static_cast<int>(power.size()) < exponent_digits) power.insert(0, exponent_digits - power.size(), '0');
  return text + power;
}

std::string GeneralText(const number::Decimal& value, int precision, int exponent_digits) {
  const number::Decimal rounded = number::Rounded(value, number::DecimalsForSignificant(value, precision));
  const int exponent = number::Exponent(rounded);
  if (!rounded.IsZero() && (exponent >= precision || exponent < -5))
    return ScientificText(value, precision, exponent_digits, false);
  return Sign(rounded) + FixedDigits(rounded, static_cast<int>(rounded.fraction.size()), false);
}

// Rounded once, at whichever comes first: the decimals asked for or the
// last significant digit of the precision.
number::Decimal RoundedFor(const number::Decimal& value, int precision, int decimals) {
  return number::Rounded(value, std::min(decimals, number::DecimalsForSignificant(value, precision)));
}

std::string CurrencyText(const number::Decimal& value, int precision, int decimals) {
  const TFormatSettings& settings = FormatSettings();
  const number::Decimal rounded = RoundedFor(value, precision, decimals);
  const char* layout = rounded.negative
                           ? kNegativeCurrency[static_cast<size_t>(std::clamp(settings.NegCurrFormat, 0, 15))]
                           : kPositiveCurrency[static_cast<size_t>(std::clamp(settings.CurrencyFormat, 0, 3))];
  const std::string amount = FixedDigits(rounded, decimals, true);
  std::string text;
  for (const char* c = layout; *c; ++c) {
    if (*c == '$')
      text += settings.CurrencyString;
    else if (*c == '1')
      text += amount;
    else
      text += *c;
  }
  return text;
}

}  // namespace

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (!std::isfinite(value)) return number::NonFiniteText(value);
  precision = std::clamp(precision, 1, kMaxPrecision);
  const number::Decimal decimal = number::FromDouble(value);
  const int exponent_digits = std::clamp(digits, 0, 4);
  const int decimals = std::clamp(digits, 0, kMaxDecimals);
  switch (format) {
    case TFloatFormat::ffGeneral:
      return GeneralText(decimal, precision, exponent_digits);
    case TFloatFormat::ffExponent:
      return ScientificText(decimal, precision, exponent_digits, true);
    case TFloatFormat::ffFixed:
    case TFloatFormat::ffNumber: {
      // More integer digits than the precision holds: general form instead.
      if (number::Exponent(decimal) >= precision) return GeneralText(decimal, precision, 0);
      const number::Decimal rounded = RoundedFor(decimal, precision, decimals);
      return Sign(rounded) + FixedDigits(rounded, decimals, format == TFloatFormat::ffNumber);
    }
    case TFloatFormat::ffCurrency:
      return CurrencyText(decimal, precision, decimals);
  }
  return GeneralText(decimal, precision, 0);
}

std::string FloatToStr(double value) { return FloatToStrF(value, TFloatFormat::ffGeneral, kMaxPrecision, 0); }

std::string CurrToStr(double value) {
  return FloatToStrF(value, TFloatFormat::ffCurrency, kMaxPrecision, FormatSettings().CurrencyDecimals);
}

}  // namespace platform
