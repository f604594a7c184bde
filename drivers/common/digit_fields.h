// The fixed-width digit fields of the printers' commands: an amount or a
// quantity formatted with a pattern of zeros, then the decimal separator
// removed at its fixed place, so the printer receives digits with implied
// decimals. Each maker keeps its fields as rows of data; the formatting and
// the one refusal rule are here.
#pragma once
#include <optional>
#include <string>

namespace drivers {

struct DigitField {
  const char* name;     // for the log: "V14", "Q7", ...
  const char* pattern;  // "000000.00"
  int separator_at;     // 1-based place of the decimal separator; 0: none
};

// The digits of the value in that field, or nothing when the value does not
// fit it (negative, too many integer digits, not a number): the printer must
// never receive a field with a digit lost in place of the separator.
std::optional<std::string> Digits(const DigitField& field, double value);

// The same, with a value that does not fit reported (ReportMisfit).
std::optional<std::string> AmountField(const DigitField& field, double value);

}  // namespace drivers
