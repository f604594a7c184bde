// The fixed-width digit fields of the Daruma commands, as data: each
// format a pattern and the place of its decimal separator (the formatting
// and the refusal of a value that does not fit are drivers/common's).
#pragma once
#include <optional>
#include <string>

#include "drivers/common/digit_fields.h"

namespace Qdm00300::detail {

enum class Format {
  Price,             // unit price of an item
  WholeQuantity,     // a quantity without decimals
  FractionQuantity,  // a quantity with decimals
  Percentage,        // item discount
  Amount12,          // subtotal discount and payments of type 7
  Amount14,          // non-fiscal receipts
  Sum4,              // the discount of the type-8 closing
};

const drivers::DigitField& FormatOf(Format format);

// The digits of the value in its field; a value the field cannot hold is
// logged and shown to the operator, and nothing is answered.
std::optional<std::string> AmountField(Format format, double value);

}  // namespace Qdm00300::detail
