// Money and quantities as the client wrote them: "12.34", "1.500", 7. A
// value is read digit by digit into whole units of its field (cents,
// thousandths), never through a binary fraction, and a value the printer's
// field cannot hold is refused before anything is sent.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qdm_service {

// A printer field for a decimal value: how many digits before and after
// the point it holds.
struct DecimalField {
  int integer_digits;
  int decimals;
  bool negative_allowed = false;
};

enum class DecimalFault {
  None,
  NotDecimal,       // not "-?digits(.digits)?"
  TooManyDecimals,  // a non-zero digit past the field's decimals
  TooLarge,         // more integer digits than the field holds
  Negative,
};

// Reads `text` into units of 10^-decimals. Trailing zeros past the field's
// decimals are the same value and are taken ("1.500" in a field of two
// decimals is 150 cents); any other digit there is refused, never rounded.
DecimalFault ParseDecimal(std::string_view text, const DecimalField& field, std::int64_t& units);

// "12.34" for 1234 units of two decimals.
std::string DecimalText(std::int64_t units, int decimals);

// The units as the library's double (exact to the 15 significant digits
// the library reads a double with: every field here holds fewer).
double UnitsToDouble(std::int64_t units, int decimals);

}  // namespace qdm_service
