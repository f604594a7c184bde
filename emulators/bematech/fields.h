// Digit fields of the frames and the printed forms of amounts.
#pragma once
#include <optional>
#include <string>

namespace mp20emu {

bool AllDigits(const std::string& text);
// The value of a field of exactly `width` digits; nothing when it is not.
std::optional<long long> DigitField(const std::string& text, std::size_t width);
// value made `width` digits with leading zeros.
std::string Digits(long long value, int width);
// Cents as printed on the tape: "12,50", "-0,05".
std::string Money(long long cents);
// Thousandths of a unit: "2" for whole units, "2,500" otherwise.
std::string Quantity(long long thousandths);
// Percent with two implied decimals: "18,00".
std::string Percent(int hundredths);
// Letter-case-blind comparison of two names with blanks around removed.
bool SameName(const std::string& a, const std::string& b);
std::string Trim(const std::string& text);

}  // namespace mp20emu
