// Data packets as other programs write them: every field type they use, a
// nested field with its rows, attributes the library only keeps, and rows
// saved with their change log unmerged. Each loads, saves and loads again to
// the same packet.
#include <gtest/gtest.h>

#include "dataset/dataset_support.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "support/sandbox.h"

namespace dataset_test {
namespace {

using platform::EConvertError;
using platform::EDatabaseError;
using platform::TDataPacket;
using platform::TFieldDef;
using Strings = std::vector<std::string>;

void ExpectSameLayout(const std::vector<TFieldDef>& a, const std::vector<TFieldDef>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(a[i].Name);
    EXPECT_EQ(a[i].Name, b[i].Name);
    EXPECT_EQ(a[i].DataType, b[i].DataType);
    EXPECT_EQ(a[i].Size, b[i].Size);
    EXPECT_EQ(a[i].Precision, b[i].Precision);
    EXPECT_EQ(a[i].SubType, b[i].SubType);
    EXPECT_EQ(a[i].Attributes, b[i].Attributes);
    EXPECT_EQ(a[i].Params, b[i].Params);
    ExpectSameLayout(a[i].Children, b[i].Children);
  }
}

// Loads, saves and loads again: the second load gives the first's packet,
// and saved again the same text.
TDataPacket RoundTrip(TClientDataSet& ds, const std::string& path) {
  ds.SaveToFile(path);
  TClientDataSet back;
  back.LoadFromFile(path);
  const TDataPacket a = ds.GetData();
  const TDataPacket b = back.GetData();
  ExpectSameLayout(a.fields, b.fields);
  EXPECT_EQ(a.rows, b.rows);
  EXPECT_EQ(back.SaveToString(), platform::ReadFileBytes(path));
  return b;
}

class OtherWritersTest : public ::testing::TestWithParam<const char*> {
 protected:
  testsupport::TempDir dir;
};

TEST_P(OtherWritersTest, EveryFieldTypeLoadsAndSavesBackTheSame) {
  TClientDataSet ds;
  ds.LoadFromFile(Fixture(GetParam()));
  ASSERT_EQ(ds.RecordCount(), 3);
  const struct {
    const char* field;
    TFieldType type;
  } types[] = {
      {"ID", TFieldType::ftInteger},       {"PEQUENO", TFieldType::ftShortint},   {"BYTE", TFieldType::ftByte},
      {"CURTO", TFieldType::ftSmallint},   {"PALAVRA", TFieldType::ftWord},       {"LONGO", TFieldType::ftLongWord},
      {"GRANDE", TFieldType::ftLargeint},  {"PRECO", TFieldType::ftFloat},        {"EXATO", TFieldType::ftBCD},
      {"EXATOFMT", TFieldType::ftFMTBcd},  {"DATA", TFieldType::ftDate},          {"HORA", TFieldType::ftTime},
      {"MOMENTO", TFieldType::ftDateTime}, {"CARIMBO", TFieldType::ftTimeStamp},  {"ATIVO", TFieldType::ftBoolean},
      {"NOME", TFieldType::ftString},      {"NOMEUNI", TFieldType::ftWideString}, {"OBS", TFieldType::ftMemo},
      {"FOTO", TFieldType::ftBlob},        {"DADOS", TFieldType::ftBlob},         {"ITENS", TFieldType::ftDataSet}};
  for (const auto& t : types) EXPECT_EQ(ds.FieldByName(t.field).DataType(), t.type) << t.field;

  ds.First();
  EXPECT_EQ(ds.FieldByName("PEQUENO").AsInteger(), -128);
  EXPECT_EQ(ds.FieldByName("BYTE").AsInteger(), 255);
  EXPECT_EQ(ds.FieldByName("PALAVRA").AsInteger(), 65535);
  EXPECT_EQ(ds.FieldByName("LONGO").AsString(), "4294967295");
  EXPECT_EQ(ds.FieldByName("GRANDE").AsString(), "-9223372036854775808");
  EXPECT_EQ(ds.FieldByName("PRECO").AsFloat(), 1234.56);
  EXPECT_EQ(ds.FieldByName("EXATO").AsFloat(), 12.5);
  EXPECT_EQ(ds.FieldByName("EXATOFMT").AsFloat(), -0.1234);
  EXPECT_EQ(ds.FieldByName("EXATOFMT").Size(), 4);
  EXPECT_EQ(ds.FieldByName("DATA").AsString(), "10/12/2026");
  EXPECT_EQ(ds.FieldByName("HORA").AsString(), "14:03:27");
  EXPECT_EQ(ds.FieldByName("MOMENTO").AsString(), "10/12/2026 14:03:27");
  EXPECT_EQ(ds.FieldByName("CARIMBO").AsString(), "31/12/2026 23:59:59");
  EXPECT_TRUE(ds.FieldByName("ATIVO").AsBoolean());
  EXPECT_EQ(ds.FieldByName("NOME").AsString(), "Conv\xEAnio \xC7 & <\"\x80\">");
  EXPECT_EQ(ds.FieldByName("NOMEUNI").AsString(), "A\347a\xED");
  EXPECT_EQ(ds.FieldByName("NOMEUNI").Size(), 20);
  EXPECT_EQ(ds.FieldByName("OBS").AsString(), "Linha 1\r\nConv\xEAnio \x80 fim");
  EXPECT_EQ(ds.FieldByName("DADOS").AsString(), std::string("\0\0ABC\x7F", 6));
  EXPECT_EQ(ds.FieldByName("FOTO").AsString().size(), 13u);
  const std::string items = ds.FieldByName("ITENS").AsString();
  EXPECT_NE(items.find("DESCR=\"P&#227;o\""), std::string::npos) << items;
  EXPECT_NE(items.find("VALOR=\"7.00\""), std::string::npos) << items;
  // The library keeps nested rows; it does not change them.
  ds.Edit();
  EXPECT_THROW(ds.FieldByName("ITENS").SetAsString("<x/>"), EConvertError);
  ds.Cancel();
  ds.Next();
  EXPECT_EQ(ds.FieldByName("HORA").AsFloat(), 0);
  EXPECT_FALSE(ds.FieldByName("HORA").IsNull());
  EXPECT_EQ(ds.FieldByName("GRANDE").AsString(), "9223372036854775807");
  EXPECT_TRUE(ds.FieldByName("ITENS").AsString().empty());
  EXPECT_FALSE(ds.FieldByName("ITENS").IsNull());
  ds.Next();
  EXPECT_TRUE(ds.FieldByName("ITENS").IsNull());
  EXPECT_TRUE(ds.FieldByName("OBS").IsNull());

  const std::string path = dir.file("outro.cds");
  const TDataPacket back = RoundTrip(ds, path);
  // What the library does not use goes back into the file as it came.
  const std::string bytes = platform::ReadFileBytes(path);
  for (const char* kept :
       {"fieldtype=\"i8\"", "fieldtype=\"ui4\"", "fieldtype=\"string.uni\" WIDTH=\"40\"",
        "fieldtype=\"fixedFMT\" DECIMALS=\"4\" WIDTH=\"20\"", "fieldtype=\"fixed\" DECIMALS=\"2\" WIDTH=\"15\"",
        "fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"1\"", "fieldtype=\"SQLdateTime\"", "fieldtype=\"time\"",
        "SUBTYPE=\"Money\"", "required=\"true\"", "readonly=\"true\"", "fieldtype=\"nested\"",
        "<ROWITENS SEQ=\"2\" DESCR=\"Suco\" VALOR=\"7.00\"/>", "HORA=\"14:03:27000\"",
        "CARIMBO=\"20261231T23:59:59999\"", "<PARAMS DEFAULT_ORDER=\"1\" PRIMARY_KEY=\"1\" LCID=\"1046\"/>"}) {
    EXPECT_NE(bytes.find(kept), std::string::npos) << kept;
  }
  ASSERT_EQ(back.fields.back().Children.size(), 3u);
  EXPECT_EQ(back.fields.back().Children[2].Precision, 10);
}

INSTANTIATE_TEST_SUITE_P(BothForms, OtherWritersTest,
                         ::testing::Values("other_writers_single_byte.xml", "other_writers_utf8.xml"));

class ChangeLogTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
};

TEST_F(ChangeLogTest, RowsLoadAsTheirWriterSawThemWhereverTheChangesStand) {
  // Row 2 changed twice (rows 5 and 8, far from it), row 3 deleted in
  // place, row 4 deleted by a later row, row 6 inserted and changed by row 9.
  TClientDataSet ds;
  ds.LoadFromFile(Fixture("change_log.xml"));
  EXPECT_EQ(Column(ds, "CD"), (Strings{"001", "002", "005"}));
  EXPECT_EQ(Column(ds, "NM"), (Strings{"um", "dois-b", "cinco-b"}));
  EXPECT_EQ(Column(ds, "QT"), (Strings{"1", "22", "5"}));
  RoundTrip(ds, dir.file("merged.cds"));
  // The rows are saved merged: the change log is not written back, the
  // packet's other settings are.
  const std::string bytes = platform::ReadFileBytes(dir.file("merged.cds"));
  EXPECT_NE(bytes.find("<PARAMS LCID=\"1046\"/>"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("CHANGE_LOG"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("RowState"), std::string::npos) << bytes;
}

// A file another program wrote, opened by name, changed and closed (as the
// drivers keep "tiporece.cds"), keeps its settings; a packet the library
// makes from nothing has none, and loading another packet forgets them.
TEST_F(ChangeLogTest, PacketSettingsStayWithTheirFile) {
  const std::string path = dir.file("tiporece.cds");
  platform::WriteFileAtomic(path, platform::ReadFileBytes(Fixture("config_single_byte.xml")));
  TClientDataSet ds;
  ds.FileName = path;
  ds.Open();
  ds.Edit();
  ds.FieldByName("NRSERIEECF").SetAsString("XYZ");
  ds.Post();
  ds.Close();
  const std::string bytes = platform::ReadFileBytes(path);
  EXPECT_NE(bytes.find("NRSERIEECF=\"XYZ\""), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("<PARAMS LCID=\"1046\"/>"), std::string::npos) << bytes;

  TClientDataSet fresh;
  fresh.FieldDefs = ds.FieldDefs;
  fresh.CreateDataSet();
  EXPECT_NE(fresh.SaveToString().find("<PARAMS/>"), std::string::npos);
  ds.LoadFromString(fresh.SaveToString());
  EXPECT_NE(ds.SaveToString().find("<PARAMS/>"), std::string::npos);
}

TEST_F(ChangeLogTest, BrokenChangeLogsAreRefused) {
  auto packet = [](const std::string& log) {
    return "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"N\" fieldtype=\"i4\"/>"
           "</FIELDS><PARAMS CHANGE_LOG=\"" +
           log +
           "\"/></METADATA><ROWDATA>"
           "<ROW N=\"1\"/><ROW RowState=\"8\" N=\"2\"/><ROW RowState=\"8\" N=\"3\"/>"
           "</ROWDATA></DATAPACKET>";
  };
  for (const char* log : {"2 1", "2 x 8", "4 1 8", "2 1 8 3 1 8", "2 3 8 3 2 8", "1 1 8", "-1 0 4", "2 9 8"}) {
    SCOPED_TRACE(log);
    TClientDataSet ds;
    EXPECT_THROW(ds.LoadFromString(packet(log)), EDatabaseError);
    EXPECT_FALSE(ds.Active());
  }
  TClientDataSet ds;
  ds.LoadFromString(packet("2 1 8 3 2 8"));
  EXPECT_EQ(Column(ds, "N"), (Strings{"3"}));
  ds.LoadFromString(packet(""));  // an empty log: every row as it stands
  EXPECT_EQ(Column(ds, "N"), (Strings{"1", "2", "3"}));
}

TEST(NestedFieldTest, MalformedNestingIsRefused) {
  auto nested = [](const std::string& inside) {
    return "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"N\" fieldtype=\"nested\">" + inside +
           "</FIELD></FIELDS></METADATA><ROWDATA/></DATAPACKET>";
  };
  std::string deep = "<FIELDS><FIELD attrname=\"L\" fieldtype=\"i4\"/></FIELDS>";
  for (int i = 0; i < 20; ++i) {
    deep = "<FIELDS><FIELD attrname=\"L\" fieldtype=\"nested\">" + deep + "</FIELD></FIELDS>";
  }
  const std::string cases[] = {
      nested(""),           // no fields of its own
      nested("<FIELDS/>"),  // an empty list
      nested("<FIELDS><FIELD attrname=\"A\" fieldtype=\"i4\"/></FIELDS><FIELDS/>"),
      nested("<ROW/>"),
      nested(deep),
  };
  for (const std::string& xml : cases) {
    SCOPED_TRACE(xml);
    TClientDataSet ds;
    EXPECT_THROW(ds.LoadFromString(xml), EDatabaseError);
  }
  // A nested field of a nested field, its rows and their RowState marks.
  TClientDataSet ds;
  ds.LoadFromString("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"nested\"><FIELDS>"
                    "<FIELD attrname=\"B\" fieldtype=\"nested\"><FIELDS><FIELD attrname=\"C\" fieldtype=\"i4\"/>"
                    "</FIELDS></FIELD></FIELDS></FIELD></FIELDS></METADATA><ROWDATA>"
                    "<ROW><A><ROWA><B><ROWB C=\"1\"/><ROWB RowState=\"2\" C=\"2\"/></B></ROWA></A></ROW>"
                    "</ROWDATA></DATAPACKET>");
  EXPECT_EQ(ds.FieldByName("A").AsString(), "<ROWA><B><ROWB C=\"1\"/></B></ROWA>");
  testsupport::TempDir dir;
  RoundTrip(ds, dir.file("nested.cds"));
}

TEST(PacketStructureTest, ElementsOutOfTheirPlaceAreRefused) {
  const std::string fields =
      "<METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"2\"/></FIELDS></METADATA>";
  const std::string cases[] = {
      // A second field list after the rows would give rows of another shape.
      "<DATAPACKET>" + fields +
          "<ROWDATA><ROW A=\"x\"/></ROWDATA>"
          "<METADATA><FIELDS><FIELD attrname=\"B\" fieldtype=\"i4\"/><FIELD attrname=\"C\" "
          "fieldtype=\"i4\"/></FIELDS></METADATA></DATAPACKET>",
      "<DATAPACKET>" + fields + "<ROWDATA/><ROWDATA/></DATAPACKET>",
      "<DATAPACKET><METADATA><FIELDS/><FIELDS/></METADATA></DATAPACKET>",
      "<DATAPACKET>" + fields + "<ROWDATA><FIELD attrname=\"B\" fieldtype=\"i4\"/></ROWDATA></DATAPACKET>",
      "<DATAPACKET><METADATA><ROW/></METADATA></DATAPACKET>",
      "<DATAPACKET>" + fields + "<ROWDATA><X><ROW A=\"y\"/></X></ROWDATA></DATAPACKET>",
  };
  for (const std::string& xml : cases) {
    SCOPED_TRACE(xml);
    TClientDataSet ds;
    EXPECT_THROW(ds.LoadFromString(xml), EDatabaseError);
  }
}

// A packet keeps what it loaded: a text field without a width keeps every
// value and saves with the width the loader gave it; names and settings
// with letters of the code page go back as they came.
class KeepsWhatItLoadedTest : public ::testing::Test {
 protected:
  static std::string Packet(const std::string& fields, const std::string& rows,
                            const std::string& params = "<PARAMS/>") {
    return "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS>" + params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
  }
  testsupport::TempDir dir;
};

TEST_F(KeepsWhatItLoadedTest, TextFieldWithoutWidthKeepsItsValuesAndLayout) {
  const std::string long_text(45, 'x');
  const struct {
    const char* field;
    int size;  // the width the loader gives
  } cases[] = {
      {"<FIELD attrname=\"T\" fieldtype=\"string.uni\" WIDTC=\"40\"/>", 45},
      {"<FIELD attrname=\"T\" fieldtype=\"string\"/>", 45},
      {"<FIELD attrname=\"T\" fieldtype=\"string\" WIDTH=\"0\"/>", 45},
      {"<FIELD attrname=\"T\" fieldtype=\"string.uni\" WIDTH=\"1\"/>", 45},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    TClientDataSet ds;
    ds.LoadFromString(Packet(c.field, "<ROW T=\"" + long_text + "\"/><ROW T=\"curto\"/>"));
    EXPECT_EQ(Column(ds, "T"), (Strings{long_text, "curto"}));
    EXPECT_EQ(ds.FieldByName("T").Size(), c.size);
    RoundTrip(ds, dir.file("sem_largura.cds"));
  }
  // The packet of every field type whose wide text lost its width.
  {
    std::string bytes = platform::ReadFileBytes(Fixture("other_writers_single_byte.xml"));
    bytes.replace(bytes.find("WIDTH=\"40\""), 10, "WIDTC=\"40\"");
    TClientDataSet ds;
    ds.LoadFromString(bytes);
    EXPECT_EQ(ds.FieldByName("NOMEUNI").Size(), 20);
    RoundTrip(ds, dir.file("todos_os_tipos.cds"));
  }
  // Short values: the width of a field declared without a size.
  TClientDataSet ds;
  ds.LoadFromString(Packet("<FIELD attrname=\"T\" fieldtype=\"string.uni\"/>", "<ROW T=\"abc\"/>"));
  EXPECT_EQ(ds.FieldByName("T").Size(), 20);
  EXPECT_NE(ds.SaveToString().find("fieldtype=\"string.uni\" WIDTH=\"40\""), std::string::npos);
  RoundTrip(ds, dir.file("curto.cds"));
  // An exact decimal without a WIDTH has the widest.
  ds.LoadFromString(Packet("<FIELD attrname=\"V\" fieldtype=\"fixed\" DECIMALS=\"2\"/>", "<ROW V=\"1.25\"/>"));
  EXPECT_EQ(ds.GetData().fields[0].Precision, 32);
  RoundTrip(ds, dir.file("decimal.cds"));
}

TEST_F(KeepsWhatItLoadedTest, ValuesThatWouldBeLostAreRefused) {
  const struct {
    const char* what;
    std::string packet;
    const char* says;
  } cases[] = {
      {"longer than its width",
       Packet("<FIELD attrname=\"T\" fieldtype=\"string\" WIDTH=\"3\"/>", "<ROW T=\"abc\"/><ROW T=\"abcd\"/>"),
       "row 2 has a value of 4 characters for field 'T', whose width is 3"},
      {"longer than a wide width",
       Packet("<FIELD attrname=\"T\" fieldtype=\"string.uni\" WIDTH=\"4\"/>", "<ROW T=\"abc\"/>"), "whose width is 2"},
      {"a time in a date field",
       Packet("<FIELD attrname=\"D\" fieldtype=\"date\"/>", "<ROW D=\"20261210T14:00:00000\"/>"),
       "bad value '20261210T14:00:00000' for field 'D'"},
      {"a field name no row can carry", Packet("<FIELD attrname=\"A B\" fieldtype=\"i4\"/>", ""),
       "the field name 'A B' cannot name a value in a row"},
      {"a field name beginning with a digit", Packet("<FIELD attrname=\"1A\" fieldtype=\"i4\"/>", ""),
       "cannot name a value in a row"},
      {"a field name outside the code page", Packet("<FIELD attrname=\"N\xE5\x90\x8D\" fieldtype=\"i4\"/>", ""),
       "cannot name a value"},
      {"an attribute name outside the code page",
       Packet("<FIELD attrname=\"N\" fieldtype=\"i4\" \xE5\x90\x8D=\"1\"/>", ""), "whose name cannot be written back"},
      {"an index without fields",
       Packet("<FIELD attrname=\"N\" fieldtype=\"i4\"/>", "", "<PARAMS INDEX1_NAME=\"idxN\"/>"),
       "index 1 of the packet ('idxN') has no fields"},
      {"an index without a name",
       Packet("<FIELD attrname=\"N\" fieldtype=\"i4\"/>", "", "<PARAMS INDEX2_FIELDS=\"N\"/>"),
       "index 2 of the packet has no name"},
      {"an index twice",
       Packet("<FIELD attrname=\"N\" fieldtype=\"i4\"/>", "",
              "<PARAMS INDEX1_NAME=\"i\" INDEX1_FIELDS=\"N\" INDEX2_NAME=\"I\" "
              "INDEX2_FIELDS=\"N\"/>"),
       "the index 'I' is repeated"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TClientDataSet ds;
    try {
      ds.LoadFromString(c.packet);
      ADD_FAILURE() << "loaded";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ds.Active());
  }
}

TEST_F(KeepsWhatItLoadedTest, NamesAndSettingsGoBackAsTheyCame) {
  // A UTF-8 packet with accented names, an attribute and a setting of its
  // own, settings that only look like indexes, and a nested field's settings.
  const std::string utf8 =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"DESCRI\xC3\x87\xC3\x83O\" fieldtype=\"string\" WIDTH=\"10\" "
      "r\xC3\xB3tulo=\"Descri\xC3\xA7\xC3\xA3o\"/>"
      "<FIELD attrname=\"ITENS\" fieldtype=\"nested\"><FIELDS><FIELD attrname=\"PRE\xC3\x87O\" fieldtype=\"r8\"/>"
      "</FIELDS><PARAMS LCID=\"1046\" INDEX1_NAME=\"n\"/></FIELD></FIELDS>"
      "<PARAMS INDEXED=\"1\" INDEX01_NAME=\"x\" INDEX1_OTHER=\"y\" configura\xC3\xA7\xC3\xA3o=\"a\" "
      "INDEX1_NAME=\"idx\" INDEX1_FIELDS=\"DESCRI\xC3\x87\xC3\x83O\"/></METADATA><ROWDATA>"
      "<ROW DESCRI\xC3\x87\xC3\x83O=\"P\xC3\xA3o\"><ITENS><ROWITENS PRE\xC3\x87O=\"1.5\"/></ITENS></ROW>"
      "</ROWDATA></DATAPACKET>";
  TClientDataSet ds;
  ds.LoadFromString(utf8);
  EXPECT_EQ(ds.FieldByName("DESCRI\xC7\xC3O").AsString(), "P\xE3o");
  const TDataPacket first = ds.GetData();
  EXPECT_EQ(first.fields[0].Attributes,
            (std::vector<std::pair<std::string, std::string>>{{"r\xF3tulo", "Descri\xE7\xE3o"}}));
  EXPECT_EQ(first.fields[1].Params,
            (std::vector<std::pair<std::string, std::string>>{{"LCID", "1046"}, {"INDEX1_NAME", "n"}}));
  ASSERT_EQ(first.indexes.size(), 1u);
  EXPECT_EQ(first.indexes[0].Fields, "DESCRI\xC7\xC3O");

  const std::string path = dir.file("acentos.cds");
  RoundTrip(ds, path);
  const std::string bytes = platform::ReadFileBytes(path);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>", 0), 0u) << bytes;
  for (const char* kept : {"attrname=\"DESCRI&#199;&#195;O\"", "r\xF3tulo=\"Descri&#231;&#227;o\"",
                           "<PARAMS LCID=\"1046\" INDEX1_NAME=\"n\"/></FIELD>",
                           "INDEXED=\"1\" INDEX01_NAME=\"x\" INDEX1_OTHER=\"y\" configura\xE7\xE3o=\"a\"",
                           "<ROW DESCRI\xC7\xC3O=\"P&#227;o\"><ITENS><ROWITENS PRE\xC7O=\"1.5\"/></ITENS></ROW>"}) {
    EXPECT_NE(bytes.find(kept), std::string::npos) << kept;
  }
  // A packet of ASCII names keeps the plain declaration.
  TClientDataSet plain;
  plain.LoadFromString(Packet("<FIELD attrname=\"N\" fieldtype=\"i4\"/>", "<ROW N=\"1\"/>"));
  EXPECT_EQ(plain.SaveToString().rfind("<?xml version=\"1.0\" standalone=\"yes\"?>", 0), 0u);
}

TEST(NewFieldTypesTest, ValuesKeepTheirRangeAndPrecision) {
  TClientDataSet ds;
  ds.AddFieldDef("G", TFieldType::ftLargeint);
  ds.AddFieldDef("B", TFieldType::ftByte);
  ds.AddFieldDef("H", TFieldType::ftTime);
  ds.AddFieldDef("M", TFieldType::ftMemo);
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("G").SetAsString("9007199254740993");  // not exact as a double
  EXPECT_THROW(ds.FieldByName("B").SetAsInteger(256), EDatabaseError);
  EXPECT_THROW(ds.FieldByName("B").SetAsInteger(-1), EDatabaseError);
  ds.FieldByName("B").SetAsInteger(7);
  ds.FieldByName("H").SetAsDateTime(At(9, 30));                          // the date is dropped
  ds.FieldByName("M").SetAsString(std::string(5000, 'x') + "\r\n\x01");  // no capacity
  ds.Post();
  EXPECT_EQ(ds.FieldByName("H").AsString(), "09:30:00");
  testsupport::TempDir dir;
  const TDataPacket back = RoundTrip(ds, dir.file("novos.cds"));
  EXPECT_EQ(back.rows[0][0], Variant(9007199254740993LL));
  EXPECT_EQ(std::get<std::string>(back.rows[0][3]).size(), 5003u);
}

}  // namespace
}  // namespace dataset_test
