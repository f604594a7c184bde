// The state file's record format and the percent escapes it shares with
// the TEF manager's journal.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulators/common/escape.h"
#include "emulators/common/records.h"

namespace {

const std::string kAwkward = std::string("A|B%C\nD\rE\x01") + '\0' + "F\x7F G\xC7\xC3O";

TEST(Escape, EveryByteComesBackAndNoSeparatorSurvives) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  for (auto [reserved, high] : {std::pair<const char*, bool>{"|", false}, {" =", true}}) {
    const std::string escaped = emu::PercentEscape(all, reserved, high);
    for (const char* r = reserved; *r; ++r) EXPECT_EQ(escaped.find(*r), std::string::npos) << reserved;
    EXPECT_EQ(escaped.find('\n'), std::string::npos);
    EXPECT_EQ(escaped.find('\0'), std::string::npos);
    if (high) {
      for (char c : escaped) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
    }
    EXPECT_EQ(emu::PercentUnescape(escaped), all);
  }
  EXPECT_EQ(emu::PercentEscape("Cart\xE3o|Visa", "|"), "Cart\xE3o%7CVisa");
  EXPECT_EQ(emu::PercentEscape("nota=ja confirmada", " =", true), "nota%3Dja%20confirmada");
}

TEST(Escape, BadEscapesAreRefused) {
  for (const char* bad : {"%", "%4", "%G0", "abc%zz", "%-1"}) EXPECT_EQ(emu::PercentUnescape(bad), std::nullopt) << bad;
}

// A small state in the record format, read back through a table of readers.
struct Small {
  std::string name;
  std::vector<long long> values;
  std::optional<int> day;
};

std::string Write(const Small& s) {
  std::string lines = (emu::Record("name") << s.name).Line();
  lines += emu::Record::List("values", s.values).Line();
  lines += (emu::Record("day") << (s.day ? std::to_string(*s.day) : std::string())).Line();
  return emu::StateText("SMALL|1", lines);
}

std::optional<Small> Read(const std::string& text) {
  Small s;
  bool whole = emu::ReadStateText(text, "SMALL|1", [&s](const std::string& key, const emu::RecordFields& f) {
    if (key == "name")
      s.name = f.Text(0);
    else if (key == "values")
      s.values = f.All<long long>();
    else if (key == "day")
      s.day = f.Day(0);
    else
      throw std::runtime_error("unknown record");
  });
  if (!whole) return std::nullopt;
  return s;
}

TEST(Records, AwkwardTextAndNumbersComeBackWhole) {
  const Small s{kAwkward, {0, -5, 9223372036854775807LL}, 20800};
  const std::string text = Write(s);
  EXPECT_EQ(text.rfind("SMALL|1\nname|", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 4), "end\n");
  auto back = Read(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, kAwkward);
  EXPECT_EQ(back->values, s.values);
  EXPECT_EQ(back->day, 20800);
  EXPECT_EQ(Read(Write(Small{"", {}, std::nullopt}))->day, std::nullopt);
}

TEST(Records, AFileThatDoesNotReadBackWholeIsRefused) {
  const std::string good = Write(Small{"caixa", {1, 2}, 3});
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  const std::map<std::string, std::string> cases = {
      {"cut before its end", good.substr(0, good.size() - 4)},
      {"another format", replaced("SMALL|1", "SMALL|2")},
      {"unknown record", replaced("day|", "week|")},
      {"bad escape", replaced("caixa", "cai%xa")},
      {"number that is not", replaced("values|1", "values|1x")},
      {"short record", replaced("name|caixa", "name")},
      {"empty", ""},
  };
  for (const auto& [name, text] : cases) EXPECT_EQ(Read(text), std::nullopt) << name;
  EXPECT_TRUE(Read(good + "anything after the end is not read\n"));
}

}  // namespace
