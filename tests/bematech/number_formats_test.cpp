// The digit fields: pattern, rounding and the separator taken out, and the
// values a field cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "drivers/bematech/number_formats.h"
#include "platform/text/format.h"

namespace {

using Qdm00100::Digitos;
using Qdm00100::Formato;

struct Case {
  Formato formato;
  double valor;
  std::optional<std::string> digitos;
};

TEST(NumberFormats, FieldsAndMisfits) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {Formato::V14, 12.5, "00000000001250"},
      {Formato::V14, 0.01, "00000000000001"},
      {Formato::V14, 999999999999.99, "99999999999999"},
      {Formato::V14, 1e12, std::nullopt},
      {Formato::V10, 1.5, "0000000150"},
      {Formato::V8, 2.675, "00000268"},  // the decimal it stands for, half up
      {Formato::V8, 999999.99, "99999999"},
      {Formato::V8, 999999.995, std::nullopt},  // rounds into a seventh digit
      {Formato::V8, 1000000.00, std::nullopt},
      {Formato::V8, -0.01, std::nullopt},
      {Formato::V8, nan, std::nullopt},
      {Formato::Q7, 1.5, "0001500"},
      {Formato::Q7, 0.333, "0000333"},
      {Formato::Q7, 10000, std::nullopt},
      {Formato::Q6, 1.5, "001500"},
      {Formato::Q6, 1000, std::nullopt},
      {Formato::Q4, 2, "0002"},
      {Formato::Q4, 9999, "9999"},
      {Formato::Q4, 12345, std::nullopt},
      {Formato::Q4, -2, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(Qdm00100::FormatOf(c.formato).name) + " " + std::to_string(c.valor));
    EXPECT_EQ(Digitos(c.formato, c.valor), c.digitos);
  }
}

TEST(NumberFormats, SeparatorOfTheSettingsIsTheOneTakenOut) {
  platform::TFormatSettings& settings = platform::FormatSettings();
  const char saved = settings.DecimalSeparator;
  settings.DecimalSeparator = '.';
  EXPECT_EQ(Digitos(Formato::V10, 1234.5), "0000123450");
  settings.DecimalSeparator = saved;
}

}  // namespace
