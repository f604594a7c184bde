// TStringList as the TEF client keeps IntPos records in it.
#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/dataset/stringlist.h"
#include "support/sandbox.h"

namespace {

using platform::TStringList;
using Strings = std::vector<std::string>;

TStringList Record() {
  TStringList record;
  record.Add("000-000 = CNF");
  record.Add("001-000 = 0000012345");
  record.Add("010-000 = REDECARD");
  record.Add("sem igual");
  record.Add("010-000  = segunda");
  return record;
}

TEST(StringList, IndexOfNameComparesTheRawTextBeforeEquals) {
  const TStringList record = Record();
  const struct {
    const char* name;
    int index;
    const char* value;
  } cases[] = {
      {"001-000 ", 1, " 0000012345"},  // the field code followed by one blank
      {"001-000", -1, ""},             // without the blank: no such name
      {"010-000 ", 2, " REDECARD"},    // the first of two
      {"010-000  ", 4, " segunda"},
      {"SEM IGUAL", -1, ""},  // a line without "=" has no name
      {"999-999 ", -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(record.IndexOfName(c.name), c.index);
    EXPECT_EQ(record.Values(c.name), c.value);
  }
  TStringList letters;
  letters.Add("Nome=abc=def");
  EXPECT_EQ(letters.IndexOfName("NOME"), 0);  // case-blind
  EXPECT_EQ(letters.Values("nome"), "abc=def");
  EXPECT_EQ(record.IndexOf("000-000 = cnf"), 0);
  EXPECT_EQ(record.IndexOf("000-000 = CNF "), -1);
}

TEST(StringList, EditsAndRejectsBadIndexes) {
  TStringList list = Record();
  EXPECT_EQ(list.Add("999-999 = 0"), 5);
  list.Insert(0, "primeira");
  list.Delete(1);
  EXPECT_EQ(list[0], "primeira");
  EXPECT_EQ(list[1], "001-000 = 0000012345");
  list[1] = "001-000 = 1";
  EXPECT_EQ(list.Values("001-000 "), " 1");
  for (int bad : {-1, list.Count()}) {
    EXPECT_THROW(list[bad], platform::Exception);
    EXPECT_THROW(list.Delete(bad), platform::Exception);
  }
  EXPECT_THROW(list.Insert(list.Count() + 1, "x"), platform::Exception);
  list.AddStrings(list);
  EXPECT_EQ(list.Count(), 12);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, TextEndsEveryLineWithCrLfAndReadsAnyLineEnd) {
  TStringList list;
  list.Add("a");
  list.Add("");
  list.Add("b");
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");

  const struct {
    const char* text;
    Strings lines;
  } cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\n\r\n", {"a", ""}},
      {"", {}},
      {"\n", {""}},
  };
  for (const auto& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(list.Lines(), c.lines) << '"' << c.text << '"';
  }
}

TEST(StringList, FilesAreReadWithLfAndWrittenWithCrLf) {
  testsupport::TempDir dir;
  const std::string path = dir.file("intpos.001");
  platform::WriteFileAtomic(path, "000-000 = ATV\n001-000 = 1\n999-999 = 0\n");
  TStringList record;
  record.LoadFromFile(path);
  EXPECT_EQ(record.Lines(), (Strings{"000-000 = ATV", "001-000 = 1", "999-999 = 0"}));
  record.SaveToFile(path);
  EXPECT_EQ(platform::ReadFileBytes(path), "000-000 = ATV\r\n001-000 = 1\r\n999-999 = 0\r\n");
  EXPECT_THROW(record.LoadFromFile(dir.file("absent")), platform::EInOutError);
}

}  // namespace
