// The digit fields: pattern, rounding and the separator taken out, and the
// values a field cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "drivers/bematech/number_formats.h"
#include "platform/text/format.h"

namespace {

using Qdm00100::detail::Digits;
using Qdm00100::detail::Format;

struct Case {
  Format format;
  double valor;
  std::optional<std::string> digitos;
};

TEST(NumberFormats, FieldsAndMisfits) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {Format::V14, 12.5, "00000000001250"},
      {Format::V14, 0.01, "00000000000001"},
      {Format::V14, 999999999999.99, "99999999999999"},
      {Format::V14, 1e12, std::nullopt},
      {Format::V10, 1.5, "0000000150"},
      {Format::V8, 2.675, "00000268"},  // the decimal it stands for, half up
      {Format::V8, 999999.99, "99999999"},
      {Format::V8, 999999.995, std::nullopt},  // rounds into a seventh digit
      {Format::V8, 1000000.00, std::nullopt},
      {Format::V8, -0.01, std::nullopt},
      {Format::V8, nan, std::nullopt},
      {Format::Q7, 1.5, "0001500"},
      {Format::Q7, 0.333, "0000333"},
      {Format::Q7, 10000, std::nullopt},
      {Format::Q6, 1.5, "001500"},
      {Format::Q6, 1000, std::nullopt},
      {Format::Q4, 2, "0002"},
      {Format::Q4, 9999, "9999"},
      {Format::Q4, 12345, std::nullopt},
      {Format::Q4, -2, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(Qdm00100::detail::FormatOf(c.format).name) + " " + std::to_string(c.valor));
    EXPECT_EQ(Digits(c.format, c.valor), c.digitos);
  }
}

TEST(NumberFormats, SeparatorOfTheSettingsIsTheOneTakenOut) {
  platform::TFormatSettings& settings = platform::FormatSettings();
  const char saved = settings.DecimalSeparator;
  settings.DecimalSeparator = '.';
  EXPECT_EQ(Digits(Format::V10, 1234.5), "0000123450");
  settings.DecimalSeparator = saved;
}

}  // namespace
