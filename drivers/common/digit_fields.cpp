#include "drivers/common/digit_fields.h"

#include <cmath>

#include "drivers/common/messages.h"
#include "platform/text/format.h"

namespace drivers {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<std::string> Digits(const DigitField& field, double value) {
  if (!std::isfinite(value)) return std::nullopt;
  std::string text = platform::FormatFloat(field.pattern, value);
  const std::string pattern = field.pattern;
  // Anything wider than the pattern (more integer digits, a minus sign) is a
  // value the field cannot hold.
  if (text.size() != pattern.size()) return std::nullopt;
  const std::size_t sep = static_cast<std::size_t>(field.separator_at);
  std::string digits;
  digits.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (sep != 0 && i + 1 == sep) {
      if (text[i] != platform::FormatSettings().DecimalSeparator) return std::nullopt;
      continue;
    }
    if (!IsDigit(text[i])) return std::nullopt;
    digits += text[i];
  }
  return digits;
}

std::optional<std::string> AmountField(const DigitField& field, double value) {
  std::optional<std::string> digits = Digits(field, value);
  if (!digits) ReportMisfit(field.name, value);
  return digits;
}

}  // namespace drivers
