// IntPos records: field reading, voucher-store blocks, voucher lines and
// request identifiers.
#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/text/datetime.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_record.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

using platform::TStringList;
using Qdm00500::detail::ExtractBlock;
using Qdm00500::detail::FieldValue;
using Qdm00500::detail::VoucherLine;
using Qdm00500::detail::VoucherLineCount;

TStringList ListOf(const std::vector<std::string>& lines) {
  TStringList list;
  for (const auto& line : lines) list.Add(line);
  return list;
}

TEST(IntPosFieldTest, ReadsTheFirstLineOfTheCodeTrimmed) {
  const TStringList record = ListOf({"000-000 = CNC", "010-000 =   REDECARD  ", "012-000 = 1", "012-000 = 2",
                                     "030-000 = a = b", "0100-000 = X", "027-000 ="});
  struct Case {
    const char* code;
    const char* value;
  } cases[] = {{"000-000", "CNC"}, {"010-000", "REDECARD"}, {"012-000", "1"}, {"030-000", "a = b"},
               {"027-000", ""},    {"028-000", ""},         {"0100-00", ""}};
  for (const auto& c : cases) EXPECT_EQ(FieldValue(record, c.code), c.value) << c.code;
}

TEST(VoucherStoreTest, BlockRunsFromItsNumberToTheNextOrTheEnd) {
  const TStringList store =
      ListOf({"1", "000-000 = CRT", "001-000 = A", "2", "001-000 = B", "3", "001-000 = C", "010-000 = X"});
  EXPECT_EQ(ExtractBlock(store, 1).Lines(), (std::vector<std::string>{"000-000 = CRT", "001-000 = A"}));
  EXPECT_EQ(ExtractBlock(store, 2).Lines(), (std::vector<std::string>{"001-000 = B"}));
  EXPECT_EQ(ExtractBlock(store, 3).Lines(), (std::vector<std::string>{"001-000 = C", "010-000 = X"}));
  EXPECT_EQ(ExtractBlock(store, 4).Count(), 0);
  EXPECT_EQ(ExtractBlock(TStringList(), 1).Count(), 0);
  // Block 1 of a store whose block 2 is missing runs to block 3's header.
  const TStringList gap = ListOf({"1", "001-000 = A", "3", "001-000 = C"});
  EXPECT_EQ(ExtractBlock(gap, 1).Lines(), (std::vector<std::string>{"001-000 = A", "3", "001-000 = C"}));
}

TEST(VoucherLineTest, QuotesAreDroppedAndShortValuesPrintEmpty) {
  Answer answer;
  answer.voucher = {"REDECARD", "", "X", "  VALOR: R$ 12,34"};
  TStringList record = answer.Record();
  record.Add("029-012 = \"TWELFTH\"");
  record.Add("029-013 = \"");
  record.Add("029-014 =   \"  padded \"  ");
  EXPECT_EQ(VoucherLineCount(record), 4);
  EXPECT_EQ(VoucherLine(record, 1), "REDECARD");
  EXPECT_EQ(VoucherLine(record, 2), "");
  EXPECT_EQ(VoucherLine(record, 3), "X");
  EXPECT_EQ(VoucherLine(record, 4), "  VALOR: R$ 12,34");
  EXPECT_EQ(VoucherLine(record, 12), "TWELFTH");
  EXPECT_EQ(VoucherLine(record, 13), "");  // one character
  EXPECT_EQ(VoucherLine(record, 14), "  padded ");
  EXPECT_EQ(VoucherLine(record, 99), "");  // absent
}

TEST(VoucherLineTest, MissingOrNonNumericCountMeansNoLines) {
  for (const char* count : {"", "abc", "-3", "2x"}) {
    TStringList record = ListOf({"029-001 = \"A\""});
    if (*count) record.Add(std::string("028-000 = ") + count);
    EXPECT_EQ(VoucherLineCount(record), 0) << count;
  }
}

TEST(GetSequenceTest, TenDigitsOfTheMomentsSeconds) {
  struct Case {
    int year, month, day, hour, minute, second;
    const char* expected;
  } cases[] = {
      {2026, 12, 10, 14, 0, 0, "4006072800"},
      {2026, 12, 10, 14, 3, 27, "4006073007"},
      // Here the product lands just below the whole second.
      {2026, 12, 10, 0, 0, 7, "4006022407"},
      {2026, 12, 10, 23, 59, 59, "4006108799"},
      {1900, 1, 1, 0, 0, 0, "0000172800"},  // padded with zeros
      {2300, 1, 1, 0, 0, 0, "2622953600"},  // last 10 of 12622953600
  };
  for (const auto& c : cases) {
    testsupport::Sandbox sandbox(platform::EncodeDate(c.year, c.month, c.day) +
                                 platform::EncodeTime(c.hour, c.minute, c.second, 0));
    EXPECT_EQ(Qdm00500::GetSequence(), c.expected) << c.year << " " << c.hour << ":" << c.minute;
  }
}

TEST(GetSequenceTest, SameSecondSameIdentifierNextSecondNext) {
  testsupport::Sandbox sandbox;
  const std::string first = Qdm00500::GetSequence();
  platform::clock::Advance(999);
  EXPECT_EQ(Qdm00500::GetSequence(), first);
  platform::clock::Advance(1);
  EXPECT_EQ(Qdm00500::GetSequence(), "4006072801");
}

}  // namespace
}  // namespace tef_test
