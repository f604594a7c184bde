// Decimal digit arithmetic for money: a double is read as the decimal it
// stands for and every rounding or cut works on those digits, so the binary
// error of 2.675 (2.67499999...) never reaches a coupon.
#pragma once
#include <string>

namespace platform::number {

// Sign, integer digits (no leading zeros, "" for zero) and fraction digits
// (no trailing zeros). Zero is never negative.
struct Decimal {
  bool negative = false;
  std::string integer;
  std::string fraction;

  bool IsZero() const { return integer.empty() && fraction.empty(); }
};

// The decimal a finite double stands for, read to `significant` digits
// (1 to 17; 15 is what the component library shows).
Decimal FromDouble(double value, int significant = 15);

// Half away from zero / toward zero at `decimals` places after the point;
// a negative count works on tens, hundreds...
Decimal Rounded(const Decimal& value, int decimals);
Decimal Cut(const Decimal& value, int decimals);

// Decimals that keep `significant` significant digits of the value.
int DecimalsForSignificant(const Decimal& value, int significant);
// Power of ten of the first significant digit (0 for zero): 1234 -> 3.
int Exponent(const Decimal& value);

// "-2.675", "3", "0.5": '.' as the point, no exponent.
std::string PlainText(const Decimal& value);
// The nearest double.
double ToDouble(const Decimal& value);

// "1234567" -> "1.234.567" with '.' as the separator.
std::string GroupThousands(const std::string& digits, char separator);

// "NAN", "INF" or "-INF" as the component library prints them.
std::string NonFiniteText(double value);

}  // namespace platform::number
