#include "drivers/sweda/number_formats.h"

#include <array>

namespace Qdm00200::detail {

namespace {

// Indexed by Format. Quantities with three implied decimals, amounts with
// two.
constexpr std::array<drivers::DigitField, 5> kFormats{{
    {"quantidade", "0000.000", 5},
    {"preco unitario", "000000.00", 7},
    {"desconto", "0000000000.00", 11},
    {"desconto", "00.00", 3},
    {"total do item", "0000000000.00", 11},
}};

}  // namespace

const drivers::DigitField& FormatOf(Format format) { return kFormats[static_cast<std::size_t>(format)]; }

std::optional<std::string> AmountField(Format format, double value) {
  return drivers::AmountField(FormatOf(format), value);
}

}  // namespace Qdm00200::detail
