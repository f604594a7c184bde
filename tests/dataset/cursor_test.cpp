// Navigation, editing states, index order and Locate.
#include <gtest/gtest.h>

#include "dataset/dataset_support.h"
#include "platform/base/errors.h"

namespace dataset_test {
namespace {

using platform::EDatabaseError;
using platform::TDataSetState;

using Strings = std::vector<std::string>;

class MovementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeclareMovements(ds);
    ds.CreateDataSet();
  }
  TClientDataSet ds{"cdsMovCaixa"};
};

TEST_F(MovementsTest, EmptyTableIsWellDefined) {
  EXPECT_TRUE(ds.Active());
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_EQ(ds.RecNo(), 0);
  ds.Next();
  ds.Prior();
  ds.Last();
  ds.First();
  EXPECT_TRUE(ds.FieldByName("NRSEQUMOVI").IsNull());
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "");
  EXPECT_EQ(ds.FieldByName("VRMOVIVEND").AsFloat(), 0);
  EXPECT_EQ(ds.FieldByName("VRMOVIVEND").AsInteger(), 0);
  EXPECT_THROW(ds.Delete(), EDatabaseError);
  EXPECT_FALSE(ds.Locate("NRSEQUMOVI", {Variant(std::string("1"))}));

  // Editing an empty table inserts, as the component library does.
  ds.Edit();
  EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
  ds.Cancel();
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(ds.IsEmpty());
}

TEST_F(MovementsTest, WalksForwardAndBack) {
  for (const char* seq : {"1", "2", "3"}) AddMovement(ds, seq, "001", At(10, 0));
  ds.First();
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.RecNo(), 1);
  ds.Next();
  ds.Next();
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "3");
  ds.Next();  // past the last record: end of data, still on the last one
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "3");
  ds.Prior();
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "2");
  EXPECT_FALSE(ds.Eof());
  ds.Last();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 3);
  ds.First();
  ds.Prior();
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "1");
  EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(MovementsTest, InsertAppendPostCancelAndDelete) {
  AddMovement(ds, "1", "001", At(10, 0));
  AddMovement(ds, "3", "001", At(10, 0));
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "3");  // Post leaves the cursor on it

  ds.Insert();  // before the current record
  EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
  EXPECT_TRUE(ds.FieldByName("NRSEQUMOVI").IsNull());
  ds.FieldByName("NRSEQUMOVI").SetAsString("2");
  ds.Post();
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "2");
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"1", "2", "3"}));

  ds.Append();
  ds.FieldByName("NRSEQUMOVI").SetAsString("lost");
  ds.Cancel();
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"1", "2", "3"}));

  // Moving away posts the pending edit.
  ds.First();
  ds.Edit();
  ds.FieldByName("NRSEQUMOVI").SetAsString("1a");
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "1a");
  ds.Next();
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"1a", "2", "3"}));

  // Deleting moves to the next record; deleting the last ends the data.
  ds.First();
  ds.Delete();
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "2");
  ds.Last();
  ds.Delete();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "2");
  ds.Delete();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.RecNo(), 0);
}

TEST_F(MovementsTest, EmptyingAndClosingDiscardRecords) {
  AddMovement(ds, "1", "001", At(10, 0));
  ds.Edit();
  ds.EmptyDataSet();
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(ds.IsEmpty());

  AddMovement(ds, "2", "001", At(10, 0));
  ds.Close();
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(ds.State(), TDataSetState::dsInactive);
  EXPECT_EQ(ds.RecordCount(), 0);
  EXPECT_THROW(ds.First(), EDatabaseError);
  EXPECT_THROW(ds.Append(), EDatabaseError);
  ds.Open();  // no file: an empty table with the declared fields
  EXPECT_TRUE(ds.IsEmpty());
}

TEST(DatasetOpen, WithoutFieldsOrFileRaises) {
  TClientDataSet ds;
  EXPECT_THROW(ds.Open(), EDatabaseError);
  EXPECT_THROW(ds.CreateDataSet(), EDatabaseError);
  ds.AddFieldDef("A", TFieldType::ftString);
  ds.AddFieldDef("a", TFieldType::ftInteger);
  EXPECT_THROW(ds.CreateDataSet(), EDatabaseError);  // names are case-blind
  EXPECT_FALSE(ds.Active());
}

// ---- Index order ------------------------------------------------------

struct OrderCase {
  const char* index;
  Strings expected;  // NRSEQUMOVI in visit order
};

class IndexOrderTest : public MovementsTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(IndexOrderTest, VisitsInTheIndexOrder) {
  // Insertion order 1..6; ties on both fields between 2 and 5.
  AddMovement(ds, "1", "002", At(10, 0));
  AddMovement(ds, "2", "001", At(9, 0));
  AddMovement(ds, "3", "001", At(11, 0));
  AddMovement(ds, "4", "", At(12, 0));
  AddMovement(ds, "5", "001", At(9, 0));
  AddMovement(ds, "6", "002", At(8, 0));
  ds.SetIndexName(GetParam().index);
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Movements, IndexOrderTest,
                         ::testing::Values(OrderCase{"", {"1", "2", "3", "4", "5", "6"}},
                                           OrderCase{"idxDTHRINCMOV", {"6", "2", "5", "1", "3", "4"}},
                                           // Change order, latest movement first within an order; a blank order first.
                                           OrderCase{"idxNRORDTROCO", {"4", "3", "2", "5", "1", "6"}},
                                           OrderCase{"idxnrordtroco", {"4", "3", "2", "5", "1", "6"}}));

TEST_F(MovementsTest, OrderStaysRightAfterInsertsAndEdits) {
  ds.SetIndexName("idxNRORDTROCO");
  AddMovement(ds, "1", "002", At(10, 0));
  AddMovement(ds, "2", "001", At(9, 0));
  AddMovement(ds, "3", "001", At(11, 0));
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "3");  // cursor follows the new record
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"3", "2", "1"}));

  ASSERT_TRUE(ds.Locate("NRSEQUMOVI", {Variant(std::string("1"))}));
  ds.Edit();
  ds.FieldByName("NRORDTROCO").SetAsString("000");
  ds.Post();
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "1");
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"1", "3", "2"}));

  ds.First();
  ds.Next();
  ds.Delete();
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "2");
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"1", "2"}));

  // Back to insertion order, cursor kept on its record.
  ds.Last();
  ds.SetIndexName("");
  EXPECT_EQ(ds.FieldByName("NRSEQUMOVI").AsString(), "2");
  EXPECT_EQ(Column(ds, "NRSEQUMOVI"), (Strings{"1", "2"}));
}

TEST_F(MovementsTest, UnknownIndexRaises) {
  EXPECT_THROW(ds.SetIndexName("idxNADA"), EDatabaseError);
  EXPECT_EQ(ds.IndexName(), "");
  ds.AddIndexDef("idxBAD", "NOFIELD");
  EXPECT_THROW(ds.SetIndexName("idxBAD"), EDatabaseError);
}

TEST(DatasetIndex, ChosenWhileClosedAppliesOnCreate) {
  TClientDataSet ds("cdsAliqImpFis");
  ds.AddFieldDef("CDALIQIMPFIS", TFieldType::ftString, 10);
  ds.AddFieldDef("VRALIQIMPFIS", TFieldType::ftFloat);
  ds.AddFieldDef("IDALIQIMPFIS", TFieldType::ftString, 1);
  ds.AddIndexDef("idxIdAliqVrAliq", "IDALIQIMPFIS;VRALIQIMPFIS");
  ds.SetIndexName("idxIdAliqVrAliq");
  ds.CreateDataSet();
  const struct {
    const char* code;
    double rate;
    const char* kind;
  } rates[] = {{"01", 18, "T"}, {"02", 5, "S"}, {"03", 7, "T"}, {"NN", 0, "N"}};
  for (const auto& r : rates) {
    ds.Append();
    ds.FieldByName("CDALIQIMPFIS").SetAsString(r.code);
    ds.FieldByName("VRALIQIMPFIS").SetAsFloat(r.rate);
    ds.FieldByName("IDALIQIMPFIS").SetAsString(r.kind);
    ds.Post();
  }
  EXPECT_EQ(Column(ds, "CDALIQIMPFIS"), (Strings{"NN", "02", "03", "01"}));
}

// ---- Locate -----------------------------------------------------------

class LocateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ds.AddFieldDef("CDALIQIMPFIS", TFieldType::ftString, 10);
    ds.AddFieldDef("VRALIQIMPFIS", TFieldType::ftFloat);
    ds.AddFieldDef("IDALIQIMPFIS", TFieldType::ftString, 1);
    ds.AddFieldDef("NRORDEM", TFieldType::ftInteger);
    ds.CreateDataSet();
    const struct {
      const char* code;
      double rate;
      const char* kind;
    } rates[] = {{"01", 18, "S"}, {"02", 7, "T"}, {"03", 18, "T"}, {"04", 18, "t"}, {"05", 18, "T"}};
    for (const auto& r : rates) {
      ds.Append();
      ds.FieldByName("CDALIQIMPFIS").SetAsString(r.code);
      ds.FieldByName("VRALIQIMPFIS").SetAsFloat(r.rate);
      ds.FieldByName("IDALIQIMPFIS").SetAsString(r.kind);
      ds.FieldByName("NRORDEM").SetAsInteger(ds.RecordCount() + 1);
      ds.Post();
    }
    ds.First();
  }
  std::string Code() { return ds.FieldByName("CDALIQIMPFIS").AsString(); }
  TClientDataSet ds;
};

TEST_F(LocateTest, FindsTheFirstExactMatchOnEveryField) {
  const struct {
    std::vector<Variant> key;
    const char* found;  // nullptr: no match
  } cases[] = {
      {{std::string("T"), 18.0}, "03"},
      {{std::string("T"), 18LL}, "03"},  // an integer matches a real of the same
                                         // value
      {{std::string("t"), 18.0}, "04"},  // text is case-sensitive
      {{std::string("T"), 7.0}, "02"},
      {{std::string("T"), 18.5}, nullptr},
      {{std::string("X"), 18.0}, nullptr},
  };
  for (const auto& c : cases) {
    ds.First();
    ds.Next();  // a miss leaves the cursor here
    const bool found = ds.Locate("IDALIQIMPFIS;VRALIQIMPFIS", c.key);
    EXPECT_EQ(found, c.found != nullptr);
    EXPECT_EQ(Code(), c.found ? c.found : "02");
  }
}

TEST_F(LocateTest, FollowsFilterAndConvertsKeys) {
  EXPECT_TRUE(ds.Locate("CDALIQIMPFIS", {Variant(std::string("05"))}));
  EXPECT_EQ(ds.RecNo(), 5);
  EXPECT_FALSE(ds.Locate("CDALIQIMPFIS", {Variant(std::string("05 "))}));
  EXPECT_FALSE(ds.Locate("NRORDEM", {Variant(std::string("abc"))}));  // cannot be an integer
  ds.SetFilter("IDALIQIMPFIS = 'T'");
  ds.SetFiltered(true);
  EXPECT_FALSE(ds.Locate("CDALIQIMPFIS", {Variant(std::string("01"))}));
  EXPECT_TRUE(ds.Locate("CDALIQIMPFIS", {Variant(std::string("05"))}));
  EXPECT_EQ(ds.RecNo(), 3);
}

TEST_F(LocateTest, BadArgumentsRaise) {
  EXPECT_THROW(ds.Locate("NOFIELD", {Variant(1LL)}), EDatabaseError);
  EXPECT_THROW(ds.Locate("IDALIQIMPFIS;VRALIQIMPFIS", {Variant(std::string("T"))}), EDatabaseError);
}

}  // namespace
}  // namespace dataset_test
