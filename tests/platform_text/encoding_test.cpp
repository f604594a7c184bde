// Windows-1252 is the library's text; UTF-8 appears only at a terminal.
#include <gtest/gtest.h>

#include "platform/base/encoding.h"

namespace platform {
namespace {

TEST(EncodingTest, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<unsigned char>(b))), b);
}

TEST(EncodingTest, HighControlsFollowTheCodePage) {
  const std::pair<unsigned char, char32_t> cases[] = {{0x80, 0x20AC}, {0x8A, 0x0160}, {0x9F, 0x0178}, {0x96, 0x2013},
                                                      {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090},
                                                      {0x9D, 0x009D}, {0xE7, 0x00E7}};
  for (const auto& [byte, cp] : cases) EXPECT_EQ(Cp1252ToUnicode(byte), cp) << int(byte);
  EXPECT_EQ(UnicodeToCp1252(0x0080), -1);  // a C1 control the code page lacks
  EXPECT_EQ(UnicodeToCp1252(0x4E2D), -1);
  EXPECT_EQ(Cp1252ToUtf8("Conv\xEAnio \x80"), "Conv\xC3\xAAnio \xE2\x82\xAC");
}

TEST(EncodingTest, BrokenOrForeignUtf8BecomesQuestionMarks) {
  const std::pair<const char*, const char*> cases[] = {
      {"Conv\xC3\xAAnio", "Conv\xEAnio"},
      {"\xE2\x82\xAC", "\x80"},
      {"\xC3", "?"},                 // cut short at the end
      {"a\xE2\202b", "a?b"},         // cut short in the middle
      {"\xC0\xAF", "??"},            // overlong
      {"\xED\xA0\x80", "???"},       // surrogate
      {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
      {"\xF0\x9F\x98\x80!", "?!"},   // valid, but not in the code page
      {"\x80\xFF", "??"},            // stray bytes
  };
  for (const auto& [utf8, cp1252] : cases) EXPECT_EQ(Utf8ToCp1252(utf8), cp1252) << utf8;
}

TEST(EncodingTest, ExactConversionNamesTheFirstCharacterItCannotCarry) {
  struct Case {
    const char* utf8;
    bool ok;
    const char* cp1252;
    std::size_t bad_at;
  };
  const Case cases[] = {
      {"Conv\xC3\xAAnio \xE2\x82\xAC", true, "Conv\xEAnio \x80", 0},
      {"", true, "", 0},
      {"ok \xF0\x9F\x98\x80", false, "", 3},  // not in the code page
      {"\xE2\x9C\x93", false, "", 0},         // a check mark
      {"ab\xC3", false, "", 2},               // cut short
      {"a\xC0\xAF", false, "", 1},            // overlong
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    std::size_t bad_at = 99;
    EXPECT_EQ(Utf8ToCp1252Exact(c.utf8, out, &bad_at), c.ok) << c.utf8;
    if (c.ok) {
      EXPECT_EQ(out, c.cp1252) << c.utf8;
    } else {
      EXPECT_EQ(bad_at, c.bad_at) << c.utf8;
    }
  }
}

}  // namespace
}  // namespace platform
