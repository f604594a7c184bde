// Filters on the payment types: which records are visited while filtered.
#include <gtest/gtest.h>

#include "dataset/dataset_support.h"
#include "platform/base/errors.h"

namespace dataset_test {
namespace {

using platform::EDatabaseError;
using Strings = std::vector<std::string>;

class PaymentTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds.AddFieldDef("CDTIPORECE", TFieldType::ftString, 3);
    ds.AddFieldDef("IDTPBUTTON", TFieldType::ftString, 1);
    ds.AddFieldDef("VRTAXAADMI", TFieldType::ftFloat);
    ds.AddFieldDef("NRORDEM", TFieldType::ftInteger);
    ds.CreateDataSet();
    const struct {
      const char* code;
      const char* button;  // nullptr: null
      double rate;
      int order;
    } types[] = {
        {"001", "5", 0, 1}, {"002", "3", 2.5, 2}, {"003", "5", 3.75, 3}, {"004", nullptr, 1, 4}, {"005", "5", 0.5, 5}};
    for (const auto& t : types) {
      ds.Append();
      ds.FieldByName("CDTIPORECE").SetAsString(t.code);
      if (t.button) ds.FieldByName("IDTPBUTTON").SetAsString(t.button);
      ds.FieldByName("VRTAXAADMI").SetAsFloat(t.rate);
      ds.FieldByName("NRORDEM").SetAsInteger(t.order);
      ds.Post();
    }
  }
  TClientDataSet ds{"cdsTipoRece"};
};

struct FilterCase {
  const char* filter;
  Strings visible;
};

class FilterMatchTest : public PaymentTypesTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterMatchTest, VisitsOnlyMatchingRecords) {
  ds.SetFilter(GetParam().filter);
  ds.SetFiltered(true);
  EXPECT_TRUE(ds.Filtered());
  EXPECT_EQ(Column(ds, "CDTIPORECE"), GetParam().visible);
  EXPECT_EQ(ds.RecordCount(), static_cast<int>(GetParam().visible.size()));
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterMatchTest,
    ::testing::Values(FilterCase{"IDTPBUTTON = '5'", {"001", "003", "005"}},
                      FilterCase{"IDTPBUTTON <> '5'", {"002", "004"}},  // a null text reads as ''
                      FilterCase{"IDTPBUTTON = ''", {"004"}}, FilterCase{"'5' = IDTPBUTTON", {"001", "003", "005"}},
                      FilterCase{"VRTAXAADMI >= 2.5", {"002", "003"}}, FilterCase{"VRTAXAADMI < 1", {"001", "005"}},
                      FilterCase{"VRTAXAADMI <= '1,0'", {"001", "004", "005"}},  // text typed by the field
                      FilterCase{"NRORDEM > 2 and IDTPBUTTON = '5'", {"003", "005"}},
                      FilterCase{"idtpbutton = '3' OR nrordem = 4", {"002", "004"}},
                      FilterCase{"(IDTPBUTTON = '5' or IDTPBUTTON = '3') and not VRTAXAADMI = 0",
                                 {"002", "003", "005"}},
                      FilterCase{"IDTPBUTTON = '5' and (NRORDEM = 1 or NRORDEM = 5)", {"001", "005"}},
                      FilterCase{"CDTIPORECE = '00'", {}}, FilterCase{"", {"001", "002", "003", "004", "005"}}));

TEST_F(PaymentTypesTest, MalformedFiltersRaiseAndChangeNothing) {
  const char* bad[] = {"IDTPBUTTON = ",      "IDTPBUTTON '5'",  "(IDTPBUTTON = '5'",
                       "NOFIELD = 1",        "NRORDEM = 'abc'", "IDTPBUTTON = '5",
                       "IDTPBUTTON = '5' x", "'5' = '5'",       "IDTPBUTTON == '5'"};
  for (const char* filter : bad) {
    SCOPED_TRACE(filter);
    ds.SetFiltered(false);
    ds.SetFilter(filter);
    EXPECT_THROW(ds.SetFiltered(true), EDatabaseError);
    EXPECT_FALSE(ds.Filtered());
    EXPECT_EQ(ds.RecordCount(), 5);
  }
  // Set while filtering: the previous filter stays in force.
  ds.SetFilter("IDTPBUTTON = '5'");
  ds.SetFiltered(true);
  EXPECT_THROW(ds.SetFilter("IDTPBUTTON ="), EDatabaseError);
  EXPECT_EQ(ds.Filter(), "IDTPBUTTON = '5'");
  EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(PaymentTypesTest, EditedRecordLeavingTheFilterDisappears) {
  ds.SetFilter("IDTPBUTTON = '5'");
  ds.SetFiltered(true);
  ds.First();
  ds.Edit();
  ds.FieldByName("IDTPBUTTON").SetAsString("3");
  ds.Post();
  EXPECT_EQ(ds.FieldByName("CDTIPORECE").AsString(), "003");  // the next visible record
  EXPECT_EQ(Column(ds, "CDTIPORECE"), (Strings{"003", "005"}));

  // A new record that does not match is stored but not visited.
  ds.Append();
  ds.FieldByName("CDTIPORECE").SetAsString("006");
  ds.Post();
  EXPECT_EQ(Column(ds, "CDTIPORECE"), (Strings{"003", "005"}));
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 6);
}

TEST_F(PaymentTypesTest, FilterSetWhileClosedAppliesOnOpen) {
  platform::TDataPacket data = ds.GetData();
  TClientDataSet other;
  other.SetFilter("IDTPBUTTON = '5'");
  other.SetFiltered(true);
  other.SetData(data);
  EXPECT_EQ(Column(other, "CDTIPORECE"), (Strings{"001", "003", "005"}));
}

}  // namespace
}  // namespace dataset_test
