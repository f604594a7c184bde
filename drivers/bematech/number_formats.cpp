#include "drivers/bematech/number_formats.h"

#include <array>

namespace Qdm00100::detail {

namespace {

// Indexed by Format. Amounts with 2 implied decimals, quantities with 3;
// Q4 is the whole quantity of an item sale, without decimals; P4 a
// percentage.
constexpr std::array<drivers::DigitField, 7> kFormats{{
    {"V14", "000000000000.00", 13},
    {"V10", "00000000.00", 9},
    {"V8", "000000.00", 7},
    {"Q7", "0000.000", 5},
    {"Q6", "000.000", 4},
    {"Q4", "0000", 0},
    {"P4", "00.00", 3},
}};

}  // namespace

const drivers::DigitField& FormatOf(Format format) { return kFormats[static_cast<std::size_t>(format)]; }

std::optional<std::string> Digits(Format format, double value) { return drivers::Digits(FormatOf(format), value); }

std::optional<std::string> AmountField(Format format, double value) {
  return drivers::AmountField(FormatOf(format), value);
}

}  // namespace Qdm00100::detail
