// 1-based string helpers: printer answers are cut by position, and a short
// or garbled answer must never crash the register.
#include <gtest/gtest.h>

#include <climits>

#include "platform/base/errors.h"
#include "platform/base/sysutils.h"

namespace platform {
namespace {

TEST(StringsTest, CopyClampsEveryRange) {
  struct Case {
    int index, count;
    const char* expected;
  } cases[] = {
      {1, 3, "abc"},
      {2, 100, "bcdef"},
      {0, 2, "ab"},
      {-5, 2, "ab"},
      {6, 1, "f"},
      {7, 1, ""},
      {3, -1, ""},
      {INT_MIN, INT_MAX, "abcdef"},
      {INT_MAX, INT_MAX, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Copy("abcdef", c.index, c.count), c.expected) << c.index << "," << c.count;
}

TEST(StringsTest, DeleteClampsEveryRange) {
  struct Case {
    int index, count;
    const char* expected;
  } cases[] = {
      {2, 2, "adef"},
      {5, 100, "abcd"},
      {2, INT_MAX, "a"},
      {0, 2, "abcdef"},
      {7, 1, "abcdef"},
      {1, -1, "abcdef"},
      {INT_MAX, INT_MAX, "abcdef"},
      {INT_MIN, 3, "abcdef"},
  };
  for (const auto& c : cases) {
    std::string s = "abcdef";
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << c.index << "," << c.count;
  }
}

TEST(StringsTest, PosTrimAndCase) {
  EXPECT_EQ(Pos("cd", "abcdef"), 3);
  EXPECT_EQ(Pos("x", "abcdef"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  // Controls go; bytes from 0x80 up are letters (0xA0, 0xE9) and stay.
  EXPECT_EQ(Trim(" \t\r\n\001abc \x7F"), "abc \x7F");
  EXPECT_EQ(Trim("\240caf\xE9"), "\240caf\xE9");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \r\n"), "  a");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(UpperCase("a\xE7\xE3o z"), "A\xE7\xE3O Z");
  EXPECT_EQ(LowerCase("CONV\xCANIO"), "conv\xCAnio");
  EXPECT_TRUE(SameText("Cartao", "CARTAO"));
  EXPECT_FALSE(SameText("Cart\xE3o", "CART\xC3O"));  // ASCII only
  EXPECT_FALSE(SameText("ab", "abc"));
}

TEST(StringsTest, IntegersParseStrictly) {
  const std::pair<const char*, int> good[] = {
      {" 42 ", 42}, {"-7", -7}, {"+7", 7}, {"007", 7}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}};
  for (const auto& [text, value] : good) EXPECT_EQ(StrToInt(text), value) << text;
  for (const char* bad : {"", " ", "abc", "1 2", "2147483648", "12a", "+-1", "- 1", "0x10", "1.0"}) {
    int value = 5;
    EXPECT_FALSE(TryStrToInt(bad, value)) << bad;
    EXPECT_EQ(value, 5) << bad;
    EXPECT_EQ(StrToIntDef(bad, -1), -1) << bad;
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
  }
  EXPECT_EQ(StrToInt64("9223372036854775807"), LLONG_MAX);
  EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
  EXPECT_EQ(IntToStr(LLONG_MIN), "-9223372036854775808");
  try {
    StrToInt("x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'x' n\xE3o \xE9 um valor inteiro v\xE1lido");
  }
}

}  // namespace
}  // namespace platform
