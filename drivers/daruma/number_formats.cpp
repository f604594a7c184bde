#include "drivers/daruma/number_formats.h"

#include <array>

namespace Qdm00300::detail {

namespace {

// Indexed by Format; the names are those the log shows.
constexpr std::array<drivers::DigitField, 7> kFormats{{
    {"Preco", "0000000.00", 8},
    {"QuantidadeInteira", "00000", 0},
    {"QuantidadeFracao", "000.00", 4},
    {"Percentual", "00.00", 3},
    {"Valor12", "0000000000.00", 11},
    {"Valor14", "000000000000.00", 13},
    {"Soma4", "00.00", 3},
}};

}  // namespace

const drivers::DigitField& FormatOf(Format format) { return kFormats[static_cast<std::size_t>(format)]; }

std::optional<std::string> AmountField(Format format, double value) {
  return drivers::AmountField(FormatOf(format), value);
}

}  // namespace Qdm00300::detail
