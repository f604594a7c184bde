// Money and quantities: every amount must reach the printer to the cent, so
// rounding and cutting work on the decimal a double stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/base/errors.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace platform {
namespace {

class NumberTextTest : public ::testing::Test {
 protected:
  void TearDown() override { FormatSettings() = TFormatSettings{}; }
};

struct PatternCase {
  const char* pattern;
  double value;
  const char* expected;
};

TEST_F(NumberTextTest, FormatFloatRoundsHalfAwayOnTheDecimalValue) {
  const PatternCase cases[] = {
      {"0.00", 2.675, "2,68"},  // binary 2.67499999...
      {"0.00", 1.005, "1,01"},  // binary 1.00499999...
      {"0.00", -2.675, "-2,68"},
      {"0.00", 1.15 * 3, "3,45"},  // 3.4499999999999997
      {"0.00", 0.1 + 0.2, "0,30"},
      {"0.00", 99.995, "100,00"},  // carry into the integer
      {"0.00", -0.001, "0,00"},    // never "-0,00"
      {"0", 2.5, "3"},             // away from zero, not to even
      {"0", -0.5, "-1"},
      // Printer fields: V14, V10, V8, Q7, Q6.
      {"000000000000.00", 12.5, "000000000012,50"},
      {"000000000000.00", 1234567.891, "000001234567,89"},
      {"00000000.00", 0.07, "00000000,07"},
      {"000000.00", 1234567.5, "1234567,50"},  // wider than the pattern
      {"000000.00", -5, "-000005,00"},
      {"0000.000", 1.2345, "0001,235"},
      {"0000.000", 2.0005, "0002,001"},
      {"000.000", 0.5, "000,500"},
      // Optional digits, thousands, sections and literals.
      {"#,##0.00", 1234567.5, "1.234.567,50"},
      {"#,##0.00", 0.5, "0,50"},
      {"#.##", 5, "5"},
      {"#.##", 1.5, "1,5"},
      {"0.00;(0.00);zero", -5, "(5,00)"},
      {"0.00;(0.00);zero", 0.001, "zero"},
      {"'R$ '0.00", 3, "R$ 3,00"},
      {"", 2.5, "2,5"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
}

TEST_F(NumberTextTest, PrinterFieldsAreDigitsOnceTheSeparatorIsDeleted) {
  struct Field {
    const char* pattern;
    int separator_at;
    double value;
    const char* digits;
  } fields[] = {
      {"000000000000.00", 13, 1.15 * 3, "00000000000345"},
      {"000000.00", 7, 2.675, "00000268"},
      {"0000.000", 5, 1.5, "0001500"},
      {"000.000", 4, 0.3333, "000333"},
  };
  for (const auto& f : fields) {
    std::string text = FormatFloat(f.pattern, f.value);
    EXPECT_EQ(text[f.separator_at - 1], ',') << f.pattern;
    Delete(text, f.separator_at, 1);
    EXPECT_EQ(text, f.digits) << f.pattern;
  }
}

TEST_F(NumberTextTest, DecimalTextReadsFifteenSignificantDigits) {
  EXPECT_EQ(DecimalText(2.675), "2.675");
  EXPECT_EQ(DecimalText(1.15 * 3), "3.45");
  EXPECT_EQ(DecimalText(0.1 + 0.2), "0.3");
  EXPECT_EQ(DecimalText(-0.5), "-0.5");
  EXPECT_EQ(DecimalText(3), "3");
  EXPECT_EQ(DecimalText(-0.0), "0");
  EXPECT_EQ(DecimalText(1e20), "100000000000000000000");
  EXPECT_EQ(DecimalText(1e-7), "0.0000001");
  EXPECT_EQ(DecimalText(123456789.123456789), "123456789.123457");
}

TEST_F(NumberTextTest, RoundToAndCutToWorkOnTheDecimal) {
  EXPECT_EQ(RoundTo(2.675, 2), 2.68);
  EXPECT_EQ(RoundTo(-2.675, 2), -2.68);
  EXPECT_EQ(RoundTo(1.005, 2), 1.01);
  EXPECT_EQ(RoundTo(1250, -2), 1300);
  EXPECT_EQ(CutTo(1.15 * 3, 2), 3.45);
  EXPECT_EQ(CutTo(0.3333, 3), 0.333);
  EXPECT_EQ(CutTo(-1.239, 2), -1.23);
  EXPECT_EQ(CutTo(2.999, 0), 2);
  EXPECT_EQ(Trunc(0.29 * 100), 29);  // 28.999999999999996
  EXPECT_EQ(Trunc(-2.5), -2);
  EXPECT_EQ(Frac(2.675), 0.675);
  EXPECT_EQ(Frac(-1.25), -0.25);
  EXPECT_THROW(Trunc(1e19), EConvertError);
  EXPECT_THROW(Trunc(std::numeric_limits<double>::quiet_NaN()), EConvertError);
  EXPECT_TRUE(std::isnan(RoundTo(std::numeric_limits<double>::quiet_NaN(), 2)));
}

TEST_F(NumberTextTest, FloatToStrFForms) {
  EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::ffFixed, 15, 2), "1234,50");
  EXPECT_EQ(FloatToStrF(2.675, TFloatFormat::ffFixed, 15, 2), "2,68");
  EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::ffNumber, 15, 2), "1.234,50");
  EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::ffCurrency, 15, 2), "R$ 1.234,50");
  EXPECT_EQ(FloatToStrF(-1234.5, TFloatFormat::ffCurrency, 15, 2), "R$ -1.234,50");
  EXPECT_EQ(FloatToStrF(0, TFloatFormat::ffCurrency, 15, 2), "R$ 0,00");
  EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::ffExponent, 4, 2), "1,235E+03");
  EXPECT_EQ(CurrToStr(12.5), "R$ 12,50");
  EXPECT_EQ(FloatToStr(2.675), "2,675");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3");
  EXPECT_EQ(FloatToStr(-1.5), "-1,5");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
}

TEST_F(NumberTextTest, CurrencyLayoutFollowsTheSettings) {
  FormatSettings().CurrencyFormat = 0;
  FormatSettings().NegCurrFormat = 1;
  EXPECT_EQ(CurrToStr(1), "R$1,00");
  EXPECT_EQ(CurrToStr(-1), "-R$1,00");
  FormatSettings().NegCurrFormat = 99;  // out of range: clamped, no crash
  EXPECT_EQ(CurrToStr(-1), "(1,00 R$)");
}

TEST_F(NumberTextTest, StrToFloatAcceptsBothPointsAndRejectsGarbage) {
  const std::pair<const char*, double> good[] = {{"12,5", 12.5}, {"12.5", 12.5}, {" -3 ", -3},    {"+7", 7},
                                                 {",5", 0.5},    {"1E3", 1000},  {"2,5e-1", 0.25}};
  for (const auto& [text, value] : good) EXPECT_EQ(StrToFloat(text), value) << text;
  for (const char* bad : {"", " ", "1,2,3", "1.2,3", "abc", "1e", "-", "1 2", "12,5x", "1e999"}) {
    double value = 42;
    EXPECT_FALSE(TryStrToFloat(bad, value)) << bad;
    EXPECT_EQ(value, 42) << bad;
    EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
  }
  try {
    StrToFloat("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' n\xE3o \xE9 um n\xFAmero v\xE1lido");
  }
}

}  // namespace
}  // namespace platform
