// The fixed-width digit fields of the Bematech commands, as data: each
// format a pattern and the place of its decimal separator (the formatting
// and the refusal of a value that does not fit are drivers/common's).
#pragma once
#include <optional>
#include <string>

#include "drivers/common/digit_fields.h"

namespace Qdm00100::detail {

enum class Format { V14, V10, V8, Q7, Q6, Q4, P4 };

const drivers::DigitField& FormatOf(Format format);

// The digits of the value in that field, or nothing when the value does not
// fit it (negative, too many integer digits, not a number).
std::optional<std::string> Digits(Format format, double value);
// The same, with a value that does not fit logged and shown to the operator.
std::optional<std::string> AmountField(Format format, double value);

}  // namespace Qdm00100::detail
