// Files: the XML data packet in both forms, round trips, malformed files,
// atomic saves, the file a dataset is bound to, and whole-content copies.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "dataset/dataset_support.h"
#include "platform/base/encoding.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "support/sandbox.h"

namespace dataset_test {
namespace {

using platform::EDatabaseError;
using platform::EInOutError;
using platform::ReadFileBytes;
using platform::TDataPacket;
using platform::WriteFileAtomic;
using Strings = std::vector<std::string>;

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every Windows-1252 byte from 0x80, and the control bytes, in one text.
std::string HighAndControlBytes() {
  std::string text;
  for (int b = 0x80; b <= 0xFF; ++b) text += static_cast<char>(b);
  for (int b = 0x00; b < 0x20; ++b) text += static_cast<char>(b);
  return text + "&<>\"'";
}

class PacketTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
};

TEST_F(PacketTest, RoundTripKeepsEveryTypeAndByte) {
  TClientDataSet ds("cdsTodos");
  ds.AddFieldDef("TEXTO", TFieldType::ftString, 200);
  DeclareEveryOtherType(ds);
  ds.AddIndexDef("idxMOMENTO", "MOMENTO;TEXTO", "MOMENTO");
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("TEXTO").SetAsString(HighAndControlBytes());
  ds.FieldByName("INTEIRO").SetAsInteger(-2147483647 - 1);
  ds.FieldByName("CURTO").SetAsInteger(32767);
  ds.FieldByName("REAL").SetAsFloat(0.1 + 0.2);
  ds.FieldByName("EXATO").SetAsFloat(12.5);
  ds.FieldByName("DATA").SetAsDateTime(platform::EncodeDate(2026, 12, 10));
  ds.FieldByName("MOMENTO").SetAsDateTime(-1.75);  // 29/12/1899 18:00
  ds.FieldByName("FLAG").SetAsBoolean(false);
  ds.Post();
  ds.Append();  // all null but one
  ds.FieldByName("REAL").SetAsFloat(-1e-300);
  ds.FieldByName("MOMENTO").SetAsDateTime(At(14, 3) + 27.0 / 86400);
  ds.Post();

  const std::string path = dir.file("todos.cds");
  ds.SaveToFile(path);
  const std::string bytes = ReadFileBytes(path);
  for (unsigned char c : bytes) ASSERT_LT(c, 0x80) << "the single-byte form is pure ASCII";
  EXPECT_NE(bytes.find("&#8364;"), std::string::npos);  // 0x80, the euro sign
  EXPECT_NE(bytes.find("&#199;"), std::string::npos);   // 0xC7
  EXPECT_NE(bytes.find("EXATO=\"12.50\""), std::string::npos);
  EXPECT_NE(bytes.find("MOMENTO=\"20261210T14:03:27000\""), std::string::npos);

  TClientDataSet back;
  back.LoadFromFile(path);
  const TDataPacket a = ds.GetData();
  const TDataPacket b = back.GetData();
  ASSERT_EQ(b.fields.size(), a.fields.size());
  for (std::size_t i = 0; i < a.fields.size(); ++i) {
    EXPECT_EQ(b.fields[i].Name, a.fields[i].Name);
    EXPECT_EQ(b.fields[i].DataType, a.fields[i].DataType);
    EXPECT_EQ(b.fields[i].Size, a.fields[i].Size);
  }
  EXPECT_EQ(b.rows, a.rows);
  back.SetIndexName("idxMOMENTO");  // the index came along
  back.First();
  EXPECT_TRUE(back.FieldByName("TEXTO").IsNull());
}

// Texts rewritten over and over (their old bytes dropped once they are
// most of what the table holds), texts that fit beside a number and texts
// that do not, and a table longer than the reader's first sample of rows.
TEST_F(PacketTest, RewrittenTextsAndLongTablesKeepEveryValue) {
  TClientDataSet ds("cdsObs");
  ds.AddFieldDef("CODIGO", TFieldType::ftString, 20);
  ds.AddFieldDef("OBS", TFieldType::ftMemo);
  ds.AddFieldDef("NUMERO", TFieldType::ftInteger);
  ds.CreateDataSet();
  const auto text = [](char c) { return std::string(400000, c); };
  for (int i = 0; i < 3; ++i) {
    ds.Append();
    ds.FieldByName("CODIGO").SetAsString("C" + std::to_string(i));
    ds.FieldByName("OBS").SetAsString(text(static_cast<char>('a' + i)));
    ds.FieldByName("NUMERO").SetAsInteger(i);
    ds.Post();
  }
  ds.First();
  ds.Next();
  for (int pass = 0; pass < 6; ++pass) {
    ds.Edit();
    ds.FieldByName("OBS").SetAsString(text(static_cast<char>('m' + pass)));
    ds.FieldByName("CODIGO").SetAsString(pass % 2 ? "12345678" : "123456789");
    ds.Post();
  }
  ds.Last();
  ds.Delete();
  EXPECT_EQ(Column(ds, "OBS"), (Strings{text('a'), text('r')}));
  EXPECT_EQ(Column(ds, "CODIGO"), (Strings{"C0", "12345678"}));
  EXPECT_EQ(Column(ds, "NUMERO"), (Strings{"0", "1"}));
  TClientDataSet back;
  back.LoadFromString(ds.SaveToString());
  EXPECT_EQ(back.GetData().rows, ds.GetData().rows);

  TClientDataSet many("cdsMuitos");
  many.AddFieldDef("CODIGO", TFieldType::ftString, 20);
  many.CreateDataSet();
  Strings codes;
  for (int i = 0; i < 1000; ++i) {
    codes.push_back(i % 2 ? std::to_string(i) : "Movimento " + std::to_string(i));
    many.Append();
    many.FieldByName("CODIGO").SetAsString(codes.back());
    many.Post();
  }
  back.LoadFromString(many.SaveToString());
  EXPECT_EQ(Column(back, "CODIGO"), codes);
}

// The same configuration records, as other programs write them.
void ExpectConfigRecords(TClientDataSet& ds) {
  ASSERT_TRUE(ds.Active());
  ASSERT_EQ(ds.RecordCount(), 2);
  ds.First();
  EXPECT_EQ(ds.FieldByName("CDCAIXA").AsString(), "003");
  EXPECT_EQ(ds.FieldByName("CHECKSUM").AsInteger(), 52025);
  EXPECT_EQ(ds.FieldByName("NRSERIEECF").AsString(), "ABC");
  EXPECT_EQ(ds.FieldByName("DSNOME").AsString(), "Conv\xEAnio \xC7 \x80 & <\">");
  EXPECT_EQ(ds.FieldByName("VRTAXA").AsFloat(), 12.5);
  EXPECT_EQ(ds.FieldByName("DTHRINC").AsString(), "10/12/2026 14:03:27");
  EXPECT_TRUE(ds.FieldByName("ATIVO").AsBoolean());
  EXPECT_EQ(ds.FieldByName("VRTAXA").DataType(), platform::TFieldType::ftBCD);
  EXPECT_EQ(ds.FieldByName("VRTAXA").Size(), 2);
  EXPECT_EQ(ds.FieldByName("CDCAIXA").Size(), 3);
  ds.Next();
  EXPECT_EQ(ds.FieldByName("CHECKSUM").AsInteger(), -7);
  EXPECT_TRUE(ds.FieldByName("NRSERIEECF").IsNull());  // an absent attribute
  EXPECT_EQ(ds.FieldByName("DSNOME").AsString(), "A\347a\xED");
  EXPECT_EQ(ds.FieldByName("DTHRINC").AsFloat(), 0);
  EXPECT_FALSE(ds.FieldByName("ATIVO").AsBoolean());
}

TEST_F(PacketTest, LoadsHandWrittenFilesInBothForms) {
  for (const char* name : {"config_single_byte.xml", "config_utf8.xml"}) {
    SCOPED_TRACE(name);
    TClientDataSet ds("cdsCheckECF");
    ds.LoadFromFile(Fixture(name));
    ExpectConfigRecords(ds);
  }
}

TEST_F(PacketTest, LoadsEveryDeclaredOrUndeclaredEncoding) {
  // The UTF-8 fixture recoded: the code page with raw bytes, declared or not.
  const std::string utf8 = ReadFileBytes(Fixture("config_utf8.xml"));
  const std::string body = utf8.substr(utf8.find("?>") + 2);
  const std::string cp1252 = platform::Utf8ToCp1252(body);
  const struct {
    const char* what;
    std::string bytes;
  } forms[] = {
      {"UTF-8, undeclared", "<?xml version=\"1.0\"?>" + body},
      {"UTF-8, no declaration", body},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + cp1252},
      {"ISO-8859-1 with a euro byte", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + cp1252},
      {"raw bytes, undeclared", "<?xml version=\"1.0\" standalone=\"yes\"?>" + cp1252},
  };
  for (const auto& form : forms) {
    SCOPED_TRACE(form.what);
    TClientDataSet ds;
    ds.LoadFromString(form.bytes);
    ExpectConfigRecords(ds);
  }
}

TEST_F(PacketTest, MalformedFilesRaiseNamingTheFile) {
  const std::string good = ReadFileBytes(Fixture("config_single_byte.xml"));
  const std::string meta = "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                           "<FIELD attrname=\"N\" fieldtype=\"i4\"/></FIELDS></METADATA><ROWDATA>";
  const struct {
    const char* what;
    std::string bytes;
  } files[] = {
      {"truncated", good.substr(0, good.size() / 2)},
      {"empty", ""},
      {"not XML", "CDCAIXA=003"},
      {"wrong root", "<DATA><METADATA/></DATA>"},
      {"no METADATA", "<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>"},
      {"no fields", "<DATAPACKET><METADATA><FIELDS/></METADATA><ROWDATA/></DATAPACKET>"},
      {"unknown type", "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"X\" fieldtype=\"i16\"/>"
                       "</FIELDS></METADATA><ROWDATA/></DATAPACKET>"},
      {"bad integer", meta + "<ROW N=\"12x\"/></ROWDATA></DATAPACKET>"},
      {"integer too big", meta + "<ROW N=\"2147483648\"/></ROWDATA></DATAPACKET>"},
      {"unknown field in a row", meta + "<ROW M=\"1\"/></ROWDATA></DATAPACKET>"},
      {"rows before fields", "<DATAPACKET><ROWDATA/><METADATA/></DATAPACKET>"},
      {"entity declarations", "<!DOCTYPE DATAPACKET [<!ENTITY a \"aaaa\">]><DATAPACKET>&a;</DATAPACKET>"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.what);
    const std::string path = dir.file("bad.cds");
    WriteFileAtomic(path, f.bytes);
    TClientDataSet ds;
    ds.AddFieldDef("A", TFieldType::ftString);
    ds.CreateDataSet();
    try {
      ds.LoadFromFile(path);
      ADD_FAILURE() << "loaded";
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ds.Active());
  }
  const struct {
    const char* type;
    const char* value;
  } bad_values[] = {{"r8", "1,5"},
                    {"r8", "nan"},
                    {"fixed", "12.5x"},
                    {"date", "20261332"},
                    {"dateTime", "20261210T25:00:00000"},
                    {"boolean", "yes"},
                    {"i2", "40000"}};
  for (const auto& v : bad_values) {
    SCOPED_TRACE(std::string(v.type) + " " + v.value);
    TClientDataSet ds;
    EXPECT_THROW(ds.LoadFromString(std::string("<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"V\" "
                                               "fieldtype=\"") +
                                   v.type + "\"/></FIELDS></METADATA><ROWDATA><ROW V=\"" + v.value +
                                   "\"/></ROWDATA></DATAPACKET>"),
                 EDatabaseError);
  }
  TClientDataSet ds;
  EXPECT_THROW(ds.LoadFromFile(dir.file("absent.cds")), EInOutError);
}

TEST_F(PacketTest, PacketAboveItsBoundIsRefusedUnreadNamingTheFile) {
  const std::string path = dir.file("tiporece.cds");
  WriteFileAtomic(path, ReadFileBytes(Fixture("config_single_byte.xml")));
  std::filesystem::resize_file(path, std::uintmax_t{100} << 20);  // sparse
  for (bool bound : {false, true}) {
    SCOPED_TRACE(bound ? "Open of FileName" : "LoadFromFile");
    TClientDataSet ds;
    try {
      if (bound) {
        ds.FileName = path;
        ds.Open();
      } else {
        ds.LoadFromFile(path);
      }
      ADD_FAILURE() << "loaded";
    } catch (const EInOutError& e) {
      EXPECT_NE(std::string(e.what()).find(path + ": maior que"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ds.Active());
  }
}

// A packet whose structure is out of order would give rows of another shape
// than its field list (a second METADATA after ROWDATA once overflowed the
// heap when the rows were read or written): every such packet is refused,
// naming the file, and nothing is loaded.
TEST_F(PacketTest, StructureOutOfOrderIsRefused) {
  const std::string fields_n = "<FIELDS><FIELD attrname=\"N\" fieldtype=\"i4\"/></FIELDS>";
  const std::string fields_nm =
      "<FIELDS><FIELD attrname=\"N\" fieldtype=\"i4\"/><FIELD attrname=\"M\" fieldtype=\"i4\"/>"
      "</FIELDS>";
  const std::string meta = "<METADATA>" + fields_n + "</METADATA>";
  const struct {
    const char* what;
    std::string bytes;
  } files[] = {
      {"second METADATA after ROWDATA", "<DATAPACKET>" + meta + "<ROWDATA><ROW N=\"1\"/></ROWDATA><METADATA>" +
                                            fields_nm +
                                            "</METADATA><ROWDATA><ROW N=\"2\" M=\"3\"/></ROWDATA></DATAPACKET>"},
      {"second METADATA before ROWDATA",
       "<DATAPACKET>" + meta + "<METADATA>" + fields_nm + "</METADATA><ROWDATA/></DATAPACKET>"},
      {"ROWDATA before METADATA", "<DATAPACKET><ROWDATA><ROW N=\"1\"/></ROWDATA>" + meta + "</DATAPACKET>"},
      {"second ROWDATA", "<DATAPACKET>" + meta + "<ROWDATA/><ROWDATA><ROW N=\"1\"/></ROWDATA></DATAPACKET>"},
      {"second FIELDS", "<DATAPACKET><METADATA>" + fields_n + fields_nm + "</METADATA><ROWDATA/></DATAPACKET>"},
      {"FIELDS inside ROWDATA", "<DATAPACKET>" + meta + "<ROWDATA>" + fields_nm + "</ROWDATA></DATAPACKET>"},
      {"FIELD outside FIELDS", "<DATAPACKET><METADATA>" + fields_n +
                                   "<FIELD attrname=\"M\" fieldtype=\"i4\"/></METADATA>"
                                   "<ROWDATA/></DATAPACKET>"},
      {"row outside ROWDATA", "<DATAPACKET>" + meta + "<ROW N=\"1\"/><ROWDATA/></DATAPACKET>"},
      {"row inside METADATA", "<DATAPACKET><METADATA>" + fields_n + "<ROW N=\"1\"/></METADATA><ROWDATA/></DATAPACKET>"},
      {"row inside a row", "<DATAPACKET>" + meta + "<ROWDATA><ROW N=\"1\"><ROW N=\"2\"/></ROW></ROWDATA></DATAPACKET>"},
      {"METADATA inside ROWDATA",
       "<DATAPACKET>" + meta + "<ROWDATA><METADATA>" + fields_nm + "</METADATA></ROWDATA></DATAPACKET>"},
      {"nested DATAPACKET", "<DATAPACKET>" + meta + "<ROWDATA/><DATAPACKET/></DATAPACKET>"},
  };
  const std::string path = dir.file("disordered.cds");
  for (const auto& f : files) {
    SCOPED_TRACE(f.what);
    WriteFileAtomic(path, f.bytes);
    TClientDataSet ds;
    try {
      ds.LoadFromFile(path);
      ADD_FAILURE() << "loaded";
      // What the reader let through must still be safe to read and write.
      for (ds.First(); !ds.Eof(); ds.Next()) (void)ds.FieldByName("N").AsString();
      ds.SaveToFile(dir.file("again.cds"));
    } catch (const EDatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("out of order"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(ds.Active());
  }
  // The packet the writer produces is in order and loads as before.
  WriteFileAtomic(path, "<DATAPACKET Version=\"2.0\">" + std::string("<METADATA>") + fields_n +
                            "<PARAMS/></METADATA><ROWDATA><ROW N=\"7\"/></ROWDATA></DATAPACKET>");
  TClientDataSet ds;
  ds.LoadFromFile(path);
  EXPECT_EQ(ds.FieldByName("N").AsInteger(), 7);
}

TEST_F(PacketTest, ChangeLogRowsAreMerged) {
  // Saved without merging the change log: an original row followed by its
  // changed fields, a deleted row and an inserted one.
  TClientDataSet ds;
  ds.LoadFromString("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                    "<FIELD attrname=\"CD\" fieldtype=\"string\" WIDTH=\"3\"/>"
                    "<FIELD attrname=\"NM\" fieldtype=\"string\" WIDTH=\"10\"/></FIELDS></METADATA><ROWDATA>"
                    "<ROW RowState=\"1\" CD=\"001\" NM=\"antes\"/><ROW RowState=\"8\" NM=\"depois\"/>"
                    "<ROW RowState=\"2\" CD=\"002\" NM=\"apagado\"/><ROW RowState=\"4\" CD=\"003\" NM=\"novo\"/>"
                    "</ROWDATA></DATAPACKET>");
  EXPECT_EQ(Column(ds, "CD"), (Strings{"001", "003"}));
  EXPECT_EQ(Column(ds, "NM"), (Strings{"depois", "novo"}));
}

TEST_F(PacketTest, SavesAtomicallyAndKeepsTheOldFileOnFailure) {
  TClientDataSet ds;
  ds.AddFieldDef("CDTIPORECE", TFieldType::ftString, 3);
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("CDTIPORECE").SetAsString("001");
  ds.Post();
  const std::string path = dir.file("tiporece.cds");
  ds.SaveToFile(path);
  EXPECT_EQ(FilesIn(dir.path()), (Strings{"tiporece.cds"}));  // nothing left beside it
  const std::string saved = ReadFileBytes(path);

  // A layout the file cannot carry fails before the file is touched.
  TClientDataSet odd;
  odd.AddFieldDef("NOME ERRADO", TFieldType::ftString);
  odd.CreateDataSet();
  EXPECT_THROW(odd.SaveToFile(path), EDatabaseError);
  EXPECT_EQ(ReadFileBytes(path), saved);
  EXPECT_THROW(ds.SaveToFile(dir.file("no/such/dir/x.cds")), EInOutError);
  EXPECT_EQ(FilesIn(dir.path()), (Strings{"tiporece.cds"}));

  TClientDataSet unnamed;
  unnamed.AddFieldDef("A", TFieldType::ftString);
  unnamed.CreateDataSet();
  EXPECT_THROW(unnamed.SaveToFile(), EDatabaseError);  // no path, no FileName
  EXPECT_THROW(TClientDataSet().SaveToString(), EDatabaseError);
}

TEST_F(PacketTest, BoundFileIsLoadedOnOpenAndWrittenBackOnClose) {
  const std::string path = dir.file("tiporece.cds");
  const std::string original = ReadFileBytes(Fixture("config_utf8.xml"));
  WriteFileAtomic(path, original);

  TClientDataSet ds("cdsTipoTroco");
  ds.FileName = path;
  ds.Open();
  ExpectConfigRecords(ds);
  ds.Close();  // nothing changed: the file stays as the other program wrote it
  EXPECT_EQ(ReadFileBytes(path), original);

  ds.Open();
  ds.First();
  ds.Edit();
  ds.FieldByName("NRSERIEECF").SetAsString("XYZ");
  ds.Post();
  ds.Close();
  EXPECT_EQ(ds.RecordCount(), 0);

  TClientDataSet reader;
  reader.LoadFromFile(path);
  EXPECT_EQ(Column(reader, "NRSERIEECF"), (Strings{"XYZ", ""}));
  EXPECT_EQ(Column(reader, "DSNOME")[0], "Conv\xEAnio \xC7 \x80 & <\">");

  ds.FileName = dir.file("absent.cds");
  EXPECT_THROW(ds.Open(), EInOutError);
  EXPECT_FALSE(ds.Active());
}

TEST_F(PacketTest, LoadedPacketKeepsTheDatasetsOwnIndexes) {
  // A file without index definitions still orders by the dataset's own.
  TClientDataSet ds("cdsMovCaixa");
  DeclareMovements(ds);
  ds.SetIndexName("idxNRORDTROCO");
  const std::string path = dir.file("mov.cds");
  WriteFileAtomic(path, "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                        "<FIELD attrname=\"NRSEQUMOVI\" fieldtype=\"string\" WIDTH=\"10\"/>"
                        "<FIELD attrname=\"NRORDTROCO\" fieldtype=\"string\" WIDTH=\"3\"/>"
                        "<FIELD attrname=\"DTHRINCMOV\" fieldtype=\"dateTime\"/>"
                        "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                        "<ROW NRSEQUMOVI=\"1\" NRORDTROCO=\"002\" DTHRINCMOV=\"20261210T10:00:00000\"/>"
                        "<ROW NRSEQUMOVI=\"2\" NRORDTROCO=\"001\" DTHRINCMOV=\"20261210T09:00:00000\"/>"
                        "<ROW NRSEQUMOVI=\"3\" NRORDTROCO=\"001\" DTHRINCMOV=\"20261210T11:00:00000\"/>"
                        "</ROWDATA></DATAPACKET>");
  ds.LoadFromFile(path);
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"3", "2", "1"}));
}

TEST(DatasetCopy, GetDataSetDataCopiesLayoutIndexesAndRows) {
  TClientDataSet source("cdsMovCaixa");
  DeclareMovements(source);
  source.CreateDataSet();
  AddMovement(source, "1", "002", At(10, 0), 12.5);
  AddMovement(source, "2", "001", At(9, 0), 7);

  TClientDataSet target("cdsCopia");
  target.AddFieldDef("VELHO", TFieldType::ftInteger);
  target.CreateDataSet();
  target.Append();
  target.FieldByName("VELHO").SetAsInteger(1);
  target.Post();

  target.SetData(source.GetData());
  EXPECT_TRUE(target.Active());
  EXPECT_EQ(target.FindField("VELHO"), nullptr);  // previous content replaced
  EXPECT_EQ(target.RecordCount(), 2);
  EXPECT_EQ(target.RecNo(), 1);
  EXPECT_EQ(target.FieldByName("NRSEQUMOVI").AsString(), "1");
  EXPECT_EQ(target.FieldByName("VRMOVIVEND").AsFloat(), 12.5);
  target.SetIndexName("idxNRORDTROCO");
  EXPECT_EQ(Column(target, "NRSEQUMOVI"), (Strings{"2", "1"}));

  // The copy is independent of its source.
  target.First();
  target.Delete();
  EXPECT_EQ(source.RecordCount(), 2);

  // A packet whose values do not fit its layout changes nothing.
  TDataPacket bad = source.GetData();
  bad.rows[0][0] = Variant(std::string("x"));
  bad.rows[1][3] = Variant(std::string("abc"));  // VRMOVIVEND
  EXPECT_THROW(target.SetData(bad), platform::EConvertError);
  EXPECT_EQ(target.RecordCount(), 1);

  EXPECT_THROW(TClientDataSet().GetData(), EDatabaseError);
}

}  // namespace
}  // namespace dataset_test
