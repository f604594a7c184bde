#include "platform/text/format.h"

#include <cmath>

#include "platform/base/errors.h"
#include "platform/text/decimal.h"

namespace platform {

// Brazilian defaults. A negative amount prints "R$ -1,00" (NegCurrFormat 12):
// the sign stays beside the digits, where the operator looks for it.
TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

std::string DecimalText(double value) {
  if (!std::isfinite(value)) return number::NonFiniteText(value);
  return number::PlainText(number::FromDouble(value));
}

long long Trunc(double value) {
  // A non-finite or out-of-range value has no integer to give.
  if (!std::isfinite(value) || std::fabs(value) >= 9.2233720368547758e18)
    throw EConvertError("'" + DecimalText(value) + "' est\xE1 fora da faixa dos inteiros");
  const number::Decimal whole = number::Cut(number::FromDouble(value), 0);
  const long long magnitude = std::stoll(whole.integer.empty() ? "0" : whole.integer);
  return whole.negative ? -magnitude : magnitude;
}

double Frac(double value) {
  if (!std::isfinite(value)) return value;
  number::Decimal part = number::FromDouble(value);
  part.integer.clear();
  if (part.IsZero()) return 0.0;
  return number::ToDouble(part);
}

double RoundTo(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  return number::ToDouble(number::Rounded(number::FromDouble(value), decimals));
}

double CutTo(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  return number::ToDouble(number::Cut(number::FromDouble(value), decimals));
}

}  // namespace platform
