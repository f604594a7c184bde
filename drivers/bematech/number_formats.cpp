#include "drivers/bematech/number_formats.h"

#include <array>

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

}  // namespace

const NumberFormat& FormatOf(Formato formato) {
  return kFormats[static_cast<std::size_t>(formato)];
}

std::optional<std::string> Digitos(Formato formato, double valor) {
  return drivers::Digits(FormatOf(formato), valor);
}

std::optional<std::string> detail::AmountField(Formato formato, double valor) {
  return drivers::AmountField(FormatOf(formato), valor);
}

}  // namespace Qdm00100
