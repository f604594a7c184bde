// The fixed-width digit fields of the Sweda item sale ("01") and its
// discount ("02"), as data: each format a pattern and the place of its
// decimal separator (the formatting and the refusal of a value that does
// not fit are drivers/common's).
#pragma once
#include <optional>
#include <string>

#include "drivers/common/digit_fields.h"

namespace Qdm00200::detail {

enum class Format { Quantity, UnitPrice, Discount, DiscountShort, ItemTotal };

const drivers::DigitField& FormatOf(Format format);

// The digits of the value in its field; a value the field cannot hold is
// logged and shown to the operator, and nothing is answered.
std::optional<std::string> AmountField(Format format, double value);

}  // namespace Qdm00200::detail
