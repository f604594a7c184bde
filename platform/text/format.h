// Number formatting with the Brazilian settings by default. Money is exact
// to the cent: a double is read as the decimal it stands for, to 15
// significant digits (as the component library shows it), and rounding or
// cutting works on that decimal, never on the binary error. So 2.675 formats
// as "2,68" with "0.00", rounding half away from zero.
#pragma once
#include <string>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

struct TFormatSettings {
  char DecimalSeparator = ',';
  char ThousandSeparator = '.';
  std::string CurrencyString = "R$";
  int CurrencyFormat = 2;  // 0 "R$1", 1 "1R$", 2 "R$ 1", 3 "1 R$"
  int NegCurrFormat = 12;  // as the component library numbers them; 12 = "R$ -1"
  int CurrencyDecimals = 2;
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string ShortTimeFormat = "hh:nn";
};

// The process-wide settings; a host may change them.
TFormatSettings& FormatSettings();

// The decimal text a double stands for: at most 15 significant digits,
// '.' as the point, no exponent, no trailing zeros ("2.675", "-0.5", "3").
std::string DecimalText(double value);

// Patterns with '0', '#', '.', ',' (thousands), and ';' sections for
// positive;negative;zero. The pattern's '.' prints as DecimalSeparator.
// FormatFloat("000000000000.00", 12.5) == "000000000012,50".
std::string FormatFloat(const std::string& pattern, double value);

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// ffFixed: digits decimals, no thousands; ffNumber: with thousands;
// ffCurrency: CurrencyString placed by CurrencyFormat/NegCurrFormat.
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// General form: up to 15 significant digits, DecimalSeparator, no thousands.
std::string FloatToStr(double value);
// Currency with CurrencyDecimals: "R$ 12,50".
std::string CurrToStr(double value);

// Accepts an optional sign, digits and one DecimalSeparator (also '.', as a
// courtesy to texts written by other programs) with surrounding blanks;
// raises EConvertError otherwise.
double StrToFloat(const std::string& text);
bool TryStrToFloat(const std::string& text, double& value);

// Cuts toward zero on the decimal value: Trunc(DecimalText) semantics.
long long Trunc(double value);
double Frac(double value);
// Rounds half away from zero to the given decimals on the decimal value.
double RoundTo(double value, int decimals);
// Cuts toward zero to the given decimals on the decimal value:
// CutTo(1.15 * 3, 2) == 3.45.
double CutTo(double value, int decimals);

}  // namespace platform

PKG_QDM_PUBLIC_END
