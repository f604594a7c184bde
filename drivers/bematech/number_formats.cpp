#include "drivers/bematech/number_formats.h"

#include <array>
#include <cmath>

#include "platform/text/format.h"

namespace Qdm00100 {

namespace {

// Amounts with 2 implied decimals, quantities with 3; Q4 is the whole
// quantity of an item sale, without decimals.
constexpr std::array<NumberFormat, 6> kFormats{{
    {"V14", "000000000000.00", 13},
    {"V10", "00000000.00", 9},
    {"V8", "000000.00", 7},
    {"Q7", "0000.000", 5},
    {"Q6", "000.000", 4},
    {"Q4", "0000", 0},
}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const NumberFormat& FormatOf(Formato formato) {
  return kFormats[static_cast<std::size_t>(formato)];
}

std::optional<std::string> Digitos(Formato formato, double valor) {
  const NumberFormat& f = FormatOf(formato);
  if (!std::isfinite(valor)) return std::nullopt;
  std::string text = platform::FormatFloat(f.pattern, valor);
  const std::string pattern = f.pattern;
  // Anything wider than the pattern (more integer digits, a minus sign) is a
  // value the field cannot hold.
  if (text.size() != pattern.size()) return std::nullopt;
  const std::size_t sep = static_cast<std::size_t>(f.separator_at);
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

}  // namespace Qdm00100
