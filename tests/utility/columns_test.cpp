// Receipt columns and printer fields: each helper must give exactly the
// width asked for, whatever the text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utility/utility.h"

namespace {

struct ColumnCase {
  const char* name;
  std::string (*helper)(const std::string&, int);
  std::string text;
  int width;
  std::string expected;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }

std::string CentralizaInt(const std::string& text, int width) {
  return util::Centraliza(text, static_cast<unsigned char>(width));
}

class ColumnsTest : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ColumnsTest, GiveTheExpectedText) {
  const ColumnCase& c = GetParam();
  EXPECT_EQ(c.helper(c.text, c.width), c.expected);
}

const std::string kTitle = "RECIBO SAIDA NUMERARIO";  // 22 characters

INSTANTIATE_TEST_SUITE_P(Helpers, ColumnsTest,
                         ::testing::Values(ColumnCase{"AjustaZeroPads", util::AjustaZero, "7", 4, "0007"},
                                           ColumnCase{"AjustaZeroKeepsFirst", util::AjustaZero, "123456", 4, "1234"},
                                           ColumnCase{"AjustaZeroEmpty", util::AjustaZero, "", 2, "00"},
                                           ColumnCase{"AjustaZeroWidth0", util::AjustaZero, "123", 0, ""},
                                           ColumnCase{"AjustaZeroNegative", util::AjustaZero, "123", -3, ""},
                                           ColumnCase{"AjustaMinutes", util::Ajusta, "7", 2, "07"},
                                           ColumnCase{"AjustaPads", util::Ajusta, "123", 6, "000123"},
                                           ColumnCase{"AjustaKeepsLast", util::Ajusta, "123456", 4, "3456"},
                                           ColumnCase{"AjustaExact", util::Ajusta, "59", 2, "59"},
                                           ColumnCase{"AjustaWidth0", util::Ajusta, "59", 0, ""},
                                           ColumnCase{"TamFixoPads", util::TamFixo, "Dinheiro", 12, "Dinheiro    "},
                                           ColumnCase{"TamFixoCuts", util::TamFixo, "Cart\xE3o de cr\351dito", 7,
                                                      "Cart\xE3o "},
                                           ColumnCase{"TamFixoWidth0", util::TamFixo, "abc", 0, ""},
                                           ColumnCase{"TamFixoNegative", util::TamFixo, "abc", -1, ""},
                                           ColumnCase{"TamFixoRPads", util::TamFixoR, "12,50", 10, "     12,50"},
                                           ColumnCase{"TamFixoRKeepsFirst", util::TamFixoR, "1234567", 4, "1234"},
                                           ColumnCase{"TamFixoRWidth0", util::TamFixoR, "1", 0, ""},
                                           ColumnCase{"CentralizaEven", CentralizaInt, "ab", 6, "  ab  "},
                                           ColumnCase{"CentralizaOddBlankRight", CentralizaInt, "ab", 5, " ab  "},
                                           ColumnCase{"CentralizaReceipt48", CentralizaInt, kTitle, 48,
                                                      std::string(13, ' ') + kTitle + std::string(13, ' ')},
                                           ColumnCase{"CentralizaCuts", CentralizaInt, "abcdef", 3, "abc"},
                                           ColumnCase{"CentralizaWidth0", CentralizaInt, "abc", 0, ""},
                                           ColumnCase{"ReplicateRule", util::Replicate, "-", 48, std::string(48, '-')},
                                           ColumnCase{"ReplicateText", util::Replicate, "ab", 3, "ababab"},
                                           ColumnCase{"ReplicateZero", util::Replicate, "-", 0, ""},
                                           ColumnCase{"ReplicateNegative", util::Replicate, "-", -5, ""}),
                         [](const ::testing::TestParamInfo<ColumnCase>& info) { return info.param.name; });

TEST(ColumnsTest, EveryReceiptLineIs48Wide) {
  const std::vector<std::string> texts = {"", "X", "SAIDA DE NUMERARIO - SANGRIA", std::string(60, 'A')};
  for (const auto& text : texts) {
    EXPECT_EQ(util::Centraliza(text, 48).size(), 48u) << text;
    EXPECT_EQ((util::TamFixo(text, 33) + util::TamFixoR(text, 15)).size(), 48u) << text;
  }
}

TEST(EmptyString, OnlyTheEmptyTextIsEmpty) {
  EXPECT_TRUE(util::EmptyString(""));
  EXPECT_FALSE(util::EmptyString(" "));
  EXPECT_FALSE(util::EmptyString("S"));
}

TEST(Iif, ChoosesByCondition) {
  EXPECT_EQ(util::iif(true, "S", "N"), "S");
  EXPECT_EQ(util::iif(false, "S", "N"), "N");
  EXPECT_EQ(util::iif(false, 1, 2), 2);
  EXPECT_DOUBLE_EQ(util::iif(true, 1.5, 2.5), 1.5);
}

}  // namespace
