// Dates and times: the printer's clock is compared with the register's to
// the minute, and log lines and TEF identifiers are built from them.
#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"
#include "platform/text/datetime.h"
#include "platform/base/errors.h"
#include "platform/text/format.h"

namespace platform {
namespace {

class DatesTest : public ::testing::Test {
 protected:
  void SetUp() override { clock::SetManual(EncodeDate(2026, 12, 6) + EncodeTime(14, 3, 27, 45)); }
  void TearDown() override {
    clock::UseSystem();
    FormatSettings() = TFormatSettings{};
  }
};

TEST_F(DatesTest, EncodeCountsDaysFromTheEpoch) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
  TDateTime value = -1;
  EXPECT_FALSE(TryEncodeDate(2026, 2, 29, value));
  EXPECT_EQ(value, -1);
  EXPECT_THROW(EncodeDate(2026, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(10, 60, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(10, 0, 0, 1000), EConvertError);
}

TEST_F(DatesTest, DecodeGivesBackWhatWasEncoded) {
  const int dates[][3] = {{1900, 1, 1}, {1900, 2, 28}, {2000, 2, 29}, {2026, 12, 31}, {9999, 12, 31}};
  const int times[][4] = {{0, 0, 0, 0}, {10, 7, 0, 0}, {12, 34, 56, 789}, {23, 59, 59, 999}};
  for (const auto& d : dates) {
    for (const auto& t : times) {
      const TDateTime value = EncodeDate(d[0], d[1], d[2]) + EncodeTime(t[0], t[1], t[2], t[3]);
      int year, month, day, hour, minute, second, ms;
      DecodeDate(value, year, month, day);
      DecodeTime(value, hour, minute, second, ms);
      EXPECT_EQ((std::vector<int>{year, month, day, hour, minute, second, ms}),
                (std::vector<int>{d[0], d[1], d[2], t[0], t[1], t[2], t[3]}));
    }
  }
  // Every second of a day, so no time reads back a millisecond short.
  const TDateTime day = EncodeDate(2026, 3, 1);
  for (int s = 0; s < 86400; ++s) {
    int hour, minute, second, ms;
    DecodeTime(day + EncodeTime(s / 3600, s / 60 % 60, s % 60, 0), hour, minute, second, ms);
    ASSERT_EQ(hour * 3600 + minute * 60 + second, s);
    ASSERT_EQ(ms, 0);
  }
}

TEST_F(DatesTest, FormatDateTimePatterns) {
  const TDateTime value = Now();
  const std::pair<const char*, const char*> cases[] = {
      {"dd/mm/yyyy", "06/12/2026"},     {"ddmmyy", "061226"},     {"hh:nn", "14:03"},
      {"hh:nn:ss", "14:03:27"},         {"yyyymmdd", "20261206"}, {"d/m/yy h:n:s", "6/12/26 14:3:27"},
      {"hh:nn:ss.zzz", "14:03:27.045"}, {"hh:mm", "14:03"},       {"'dd' \"hh\" dd", "dd hh 06"},
      {"DD/MM/YYYY", "06/12/2026"},     {"dddd", "domingo"},      {"mmmm", "dezembro"},
  };
  for (const auto& [format, expected] : cases) EXPECT_EQ(FormatDateTime(format, value), expected) << format;
  EXPECT_EQ(DateTimeToStr(value), "06/12/2026 14:03:27");
  EXPECT_EQ(DateToStr(value), "06/12/2026");
  EXPECT_EQ(TimeToStr(value), "14:03:27");
  FormatSettings().DateSeparator = '-';
  FormatSettings().TimeSeparator = '.';
  EXPECT_EQ(FormatDateTime("dd/mm/yy hh:nn", value), "06-12-26 14.03");
}

TEST_F(DatesTest, NowDateAndTimeReadTheLibraryClock) {
  EXPECT_EQ(Date(), EncodeDate(2026, 12, 6));
  EXPECT_EQ(Time(), EncodeTime(14, 3, 27, 45));
  EXPECT_EQ(Now(), Date() + Time());
}

TEST_F(DatesTest, StrToDateTimeReadsDayMonthYear) {
  const std::pair<const char*, TDateTime> good[] = {
      {"10/12/26 14:03", EncodeDate(2026, 12, 10) + EncodeTime(14, 3, 0, 0)},
      {"10/12/2026 14:03:27", EncodeDate(2026, 12, 10) + EncodeTime(14, 3, 27, 0)},
      {"1/2/26", EncodeDate(2026, 2, 1)},
      {" 29/02/24  23:59:59.5 ", EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 500)},
      {"31/12/25", EncodeDate(2025, 12, 31)},
  };
  for (const auto& [text, value] : good) EXPECT_EQ(StrToDateTime(text), value) << text;
  EXPECT_EQ(StrToDate("06/12/2026"), EncodeDate(2026, 12, 6));

  // Two-digit years fall in the century of the library clock.
  clock::SetManual(EncodeDate(1999, 6, 1));
  EXPECT_EQ(StrToDate("10/12/26"), EncodeDate(1926, 12, 10));
}

TEST_F(DatesTest, StrToDateTimeRejectsImpossibleAndMalformedTexts) {
  for (const char* bad :
       {"99/99/99 99:99", "31/02/26", "10/12/26 24:00", "10/12/26 14:60", "10/12/26 14:03:60", "10/12/26 14:03 x",
        "10/12", "", "10-12-26", "10/12/26 14", "10/12/26x", "999/1/26", "10/12/26 14:03:27.1234", "99999999999"}) {
    EXPECT_THROW(StrToDateTime(bad), EConvertError) << bad;
  }
  EXPECT_THROW(StrToDate("10/12/26 14:03"), EConvertError);
  try {
    StrToDateTime("99/99/99 99:99");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'99/99/99 99:99' n\xE3o \xE9 uma data e hora v\xE1lida");
  }
}

}  // namespace
}  // namespace platform
