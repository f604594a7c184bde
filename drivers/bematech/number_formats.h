// The fixed-width digit fields of the Bematech commands: an amount or a
// quantity formatted with a pattern, then the decimal separator removed at
// its fixed place, so the printer receives digits with implied decimals.
#pragma once
#include <optional>
#include <string>

namespace Qdm00100 {

enum class Formato { V14, V10, V8, Q7, Q6, Q4 };

struct NumberFormat {
  const char* name;
  const char* pattern;
  int separator_at;  // 1-based place of the decimal separator; 0: none
};

const NumberFormat& FormatOf(Formato formato);

// The digits of the value in that field, or nothing when the value does not
// fit it (negative, too many integer digits, not a number): the printer must
// never receive a field with a digit lost in place of the separator.
std::optional<std::string> Digitos(Formato formato, double valor);

}  // namespace Qdm00100
