// Field lookup, conversions between stored and requested types, capacity
// of text fields and display attributes.
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "dataset/dataset_support.h"
#include "platform/base/errors.h"

namespace dataset_test {
namespace {

using platform::EConvertError;
using platform::EDatabaseError;
using platform::TField;

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds.AddFieldDef("TEXTO", TFieldType::ftString, 5);
    ds.AddFieldDef("LIVRE", TFieldType::ftString);  // no size: holds 20
    DeclareEveryOtherType(ds);
    ds.CreateDataSet();
    ds.Append();
  }
  TField& F(const char* name) { return ds.FieldByName(name); }
  TClientDataSet ds{"cdsTeste"};
};

struct Conversion {
  const char* field;
  std::function<void(TField&)> write;
  const char* as_string;
  double as_float;
};

TEST_F(FieldTest, ConvertsOnWriteAndRead) {
  const platform::TDateTime moment = platform::EncodeDate(2026, 12, 10) + platform::EncodeTime(14, 3, 27, 0);
  const Conversion cases[] = {
      {"TEXTO", [](TField& f) { f.SetAsString("12,5"); }, "12,5", 12.5},
      {"TEXTO", [](TField& f) { f.SetAsFloat(2.5); }, "2,5", 2.5},
      {"TEXTO", [](TField& f) { f.SetAsInteger(-42); }, "-42", -42},
      {"INTEIRO", [](TField& f) { f.SetAsString(" 42 "); }, "42", 42},
      {"INTEIRO", [](TField& f) { f.SetAsFloat(2.5); }, "2", 2},  // ties to even
      {"INTEIRO", [](TField& f) { f.SetAsFloat(3.5); }, "4", 4},
      {"CURTO", [](TField& f) { f.SetValue(Variant(7LL)); }, "7", 7},
      {"REAL", [](TField& f) { f.SetAsString("18,00"); }, "18", 18},
      {"REAL", [](TField& f) { f.SetAsFloat(1234.56); }, "1234,56", 1234.56},
      {"REAL", [](TField& f) { f.SetAsInteger(3); }, "3", 3},
      {"EXATO", [](TField& f) { f.SetAsString("12.50"); }, "12,5", 12.5},
      {"DATA", [&](TField& f) { f.SetAsDateTime(moment); }, "10/12/2026", platform::EncodeDate(2026, 12, 10)},
      {"MOMENTO", [&](TField& f) { f.SetAsDateTime(moment); }, "10/12/2026 14:03:27", moment},
      {"MOMENTO", [](TField& f) { f.SetAsString("10/12/2026 14:03:27"); }, "10/12/2026 14:03:27", moment},
      {"FLAG", [](TField& f) { f.SetAsBoolean(true); }, "True", 1},
      {"FLAG", [](TField& f) { f.SetAsString("false"); }, "False", 0},
  };
  for (const Conversion& c : cases) {
    SCOPED_TRACE(c.field + std::string(" -> ") + c.as_string);
    TField& f = F(c.field);
    c.write(f);
    EXPECT_FALSE(f.IsNull());
    EXPECT_EQ(f.AsString(), c.as_string);
    EXPECT_DOUBLE_EQ(f.AsFloat(), c.as_float);
  }
  F("FLAG").SetAsBoolean(true);
  EXPECT_TRUE(F("FLAG").AsBoolean());
  EXPECT_EQ(F("FLAG").AsInteger(), 1);
  EXPECT_EQ(F("MOMENTO").AsDateTime(), moment);
}

TEST_F(FieldTest, BadValuesRaise) {
  const struct {
    const char* field;
    const char* text;
  } bad_text[] = {
      {"INTEIRO", "4x"}, {"INTEIRO", "1,5"}, {"REAL", "abc"}, {"MOMENTO", "31/02/2026"}, {"FLAG", "talvez"}};
  for (const auto& c : bad_text) {
    SCOPED_TRACE(c.text);
    EXPECT_THROW(F(c.field).SetAsString(c.text), EConvertError);
  }
  // Numbers a field cannot hold.
  EXPECT_THROW(F("CURTO").SetAsInteger(40000), EDatabaseError);
  EXPECT_THROW(F("INTEIRO").SetAsFloat(3e10), EDatabaseError);
  EXPECT_THROW(F("REAL").SetAsFloat(std::numeric_limits<double>::infinity()), EDatabaseError);

  // A text read as a number must be one.
  F("TEXTO").SetAsString("abc");
  EXPECT_THROW(F("TEXTO").AsFloat(), EConvertError);
  EXPECT_THROW(F("TEXTO").AsInteger(), EConvertError);
  EXPECT_THROW(F("TEXTO").AsDateTime(), EConvertError);

  // An empty text clears a field that is not text.
  F("REAL").SetAsFloat(1);
  F("REAL").SetAsString("");
  EXPECT_TRUE(F("REAL").IsNull());
}

TEST_F(FieldTest, TextIsCutToCapacity) {
  F("TEXTO").SetAsString("ABCDEFGH");
  EXPECT_EQ(F("TEXTO").AsString(), "ABCDE");
  F("LIVRE").SetAsString(std::string(25, 'x'));
  EXPECT_EQ(F("LIVRE").AsString(), std::string(20, 'x'));
  F("TEXTO").SetAsFloat(123456.75);
  EXPECT_EQ(F("TEXTO").AsString(), "12345");
  EXPECT_EQ(F("TEXTO").Size(), 5);
}

TEST_F(FieldTest, LookupIsCaseBlindAndMissingFieldsRaise) {
  EXPECT_EQ(&ds.FieldByName("texto"), &F("TEXTO"));
  EXPECT_EQ(ds.FindField("NADA"), nullptr);
  try {
    ds.FieldByName("XYZ");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'XYZ' not found");
  }
  EXPECT_EQ(ds.FieldCount(), 9);
  EXPECT_EQ(ds.Fields(2).FieldName(), "INTEIRO");
  EXPECT_EQ(ds.Fields(2).Index(), 2);
  EXPECT_EQ(ds.Fields(2).DataType(), TFieldType::ftInteger);
  EXPECT_THROW(ds.Fields(9), EDatabaseError);
}

TEST_F(FieldTest, WritesNeedEditOrInsert) {
  F("TEXTO").SetAsString("A");
  ds.Post();
  EXPECT_THROW(F("TEXTO").SetAsString("B"), EDatabaseError);
  EXPECT_THROW(F("TEXTO").Clear(), EDatabaseError);
  ds.Edit();
  F("TEXTO").Clear();
  EXPECT_TRUE(F("TEXTO").IsNull());
  ds.Cancel();
  EXPECT_EQ(F("TEXTO").AsString(), "A");  // the stored record is untouched
}

TEST(DatasetFields, ClosedDatasetOffersDeclaredFields) {
  TClientDataSet ds;
  ds.AddFieldDef("VRMOVIVEND", TFieldType::ftFloat);
  TField& valor = ds.FieldByName("VRMOVIVEND");
  EXPECT_EQ(valor.DisplayLabel, "VRMOVIVEND");
  EXPECT_TRUE(valor.Visible);
  EXPECT_EQ(valor.DisplayFormat, "");
  valor.DisplayLabel = "Valor";
  valor.DisplayFormat = "#,##0.00";
  valor.Visible = false;
  EXPECT_EQ(valor.AsFloat(), 0);
  EXPECT_THROW(valor.SetAsFloat(1), EDatabaseError);

  // The same field object, attributes kept, once the table is created and
  // after its content is replaced.
  ds.CreateDataSet();
  EXPECT_EQ(&ds.FieldByName("VRMOVIVEND"), &valor);
  ds.SetData(ds.GetData());
  EXPECT_EQ(&ds.FieldByName("VRMOVIVEND"), &valor);
  EXPECT_EQ(valor.DisplayLabel, "Valor");
  EXPECT_EQ(valor.DisplayFormat, "#,##0.00");
  EXPECT_FALSE(valor.Visible);

  // A field that leaves the layout answers "not found" instead of dangling.
  platform::TDataPacket other;
  other.fields = {{"OUTRO", TFieldType::ftInteger, 0}};
  ds.SetData(other);
  EXPECT_THROW(valor.AsFloat(), EDatabaseError);
}

}  // namespace
}  // namespace dataset_test
