// Money truncation, hexadecimal status bytes and the retry pause.
#include <gtest/gtest.h>

#include "utility/utility.h"
#include "platform/os/application.h"
#include "package/Pkg_Qdm_testing.h"
#include "platform/base/errors.h"

namespace {

struct TruncCase {
  double value;
  double trunc2;
  double trunc3;
};

void PrintTo(const TruncCase& c, std::ostream* os) { *os << c.value; }

class TruncTest : public ::testing::TestWithParam<TruncCase> {};

// Exact comparison on purpose: the result must be the same double as the
// literal the cut decimal stands for.
TEST_P(TruncTest, CutsTheDecimalValueNeverRounds) {
  const TruncCase& c = GetParam();
  EXPECT_EQ(util::Trunc2(c.value), c.trunc2) << c.value;
  EXPECT_EQ(util::Trunc3(c.value), c.trunc3) << c.value;
}

INSTANTIATE_TEST_SUITE_P(Money, TruncTest,
                         ::testing::Values(TruncCase{1.15 * 3, 3.45, 3.45},  // 3.4499999999999997 in binary
                                           TruncCase{0.3333, 0.33, 0.333}, TruncCase{2.675, 2.67, 2.675},
                                           TruncCase{19.999, 19.99, 19.999},
                                           TruncCase{0.1 + 0.2, 0.3, 0.3},    // 0.30000000000000004
                                           TruncCase{-1.239, -1.23, -1.239},  // toward zero
                                           TruncCase{12.5, 12.5, 12.5}, TruncCase{0.0, 0.0, 0.0}));

TEST(HexaToInt, ReadsStatusBytesInEitherCase) {
  EXPECT_EQ(util::HexaToInt("1F"), 31);
  EXPECT_EQ(util::HexaToInt("1f"), 31);
  EXPECT_EQ(util::HexaToInt("80"), 128);
  EXPECT_EQ(util::HexaToInt("0"), 0);
  EXPECT_EQ(util::HexaToInt("7FFFFFFF"), 2147483647);
}

TEST(HexaToInt, RejectsWhatIsNotHexadecimal) {
  for (const char* text : {"", "G1", "1 F", " 1F", "-1", "0x1F", "$1F", "100000000"}) {
    EXPECT_THROW(util::HexaToInt(text), platform::EConvertError) << '"' << text << '"';
  }
}

class DelayTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::clock::SetManual(46000.5); }
  void TearDown() override {
    platform::Application().SetProcessMessagesHook(nullptr);
    platform::clock::UseSystem();
  }
};

TEST_F(DelayTest, PausesCountTimes100MsOnTheLibraryClockKeepingTheWindowAlive) {
  int pumped = 0;
  platform::Application().SetProcessMessagesHook([&pumped] { ++pumped; });
  const platform::TDateTime before = platform::clock::Now();
  util::Delay(3);
  const double elapsed_ms = (platform::clock::Now() - before) * 86400000.0;
  EXPECT_NEAR(elapsed_ms, 300.0, 0.5);
  EXPECT_GT(pumped, 3);  // messages handled during the pause, not only around it
}

TEST_F(DelayTest, ZeroCountDoesNotPause) {
  const platform::TDateTime before = platform::clock::Now();
  util::Delay(0);
  EXPECT_EQ(platform::clock::Now(), before);
}

}  // namespace
