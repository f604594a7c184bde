// A dataset shown at the terminal: a table when it fits the line, a list of
// fields per record when it does not, always UTF-8, the dataset untouched.
#include <gtest/gtest.h>

#include "platform/text/datetime.h"
#include "tools/qdm_register/dataset_table.h"

namespace register_test {
namespace {

using platform::TClientDataSet;
using platform::TFieldType;

TEST(DatasetTable, NarrowRecordsAsATableAmountsOnTheRight) {
  TClientDataSet ds("formas");
  ds.AddFieldDef("CDTIPORECE", TFieldType::ftString, 3);
  ds.AddFieldDef("NMTIPORECE", TFieldType::ftString, 20);
  ds.AddFieldDef("DTREDUCAOZ", TFieldType::ftDateTime);
  ds.AddFieldDef("VRFORMPGTORZ", TFieldType::ftFloat);
  ds.CreateDataSet();
  const struct {
    const char* code;
    const char* name;
    double amount;
  } rows[] = {{"001", "Dinheiro", 50}, {"002", "Cart\xE3o D\351bito", 1234.5}};
  for (const auto& r : rows) {
    ds.Append();
    ds.FieldByName("CDTIPORECE").SetAsString(r.code);
    ds.FieldByName("NMTIPORECE").SetAsString(r.name);
    ds.FieldByName("DTREDUCAOZ").SetAsDateTime(platform::EncodeDate(2026, 12, 10));
    ds.FieldByName("VRFORMPGTORZ").SetAsFloat(r.amount);
    ds.Post();
  }
  const std::string text = qdm_register::DatasetTable("formas", ds);
  EXPECT_EQ(text, "formas\n"
                  "+------------+---------------+------------+--------------+\n"
                  "| CDTIPORECE | NMTIPORECE    | DTREDUCAOZ | VRFORMPGTORZ |\n"
                  "+------------+---------------+------------+--------------+\n"
                  "| 001        | Dinheiro      | 10/12/2026 |        50,00 |\n"
                  "| 002        | Cart\xC3\xA3o D\xC3\251bito | 10/12/2026 |      1234,50 |\n"
                  "+------------+---------------+------------+--------------+\n");
  // The dataset keeps its Windows-1252 text and its records.
  ds.Last();
  EXPECT_EQ(ds.FieldByName("NMTIPORECE").AsString(), "Cart\xE3o D\351bito");
  EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(DatasetTable, WideRecordsAsListsEmptyAndClosedSaidSo) {
  TClientDataSet wide("reducao");
  for (const char* name : {"NRECFREDZ", "VRGTREDZ", "VRVENBRUREDZ", "VRVENLIQREDZ", "VRTOTCANREDZ", "VRTOTDESREDZ",
                           "VRTOTACRREDZ", "VRSTRIBREDZ", "VRISENCREDZ"})
    wide.AddFieldDef(name, TFieldType::ftFloat);
  wide.CreateDataSet();
  wide.Append();
  wide.FieldByName("VRGTREDZ").SetAsFloat(77.25);
  wide.FieldByName("VRTOTDESREDZ").SetAsFloat(0.375);
  wide.Post();
  const std::string text = qdm_register::DatasetTable("reducao", wide);
  EXPECT_NE(text.find("\n  VRGTREDZ     : 77,25\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n  VRTOTDESREDZ : 0,375\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n  NRECFREDZ    : \n"), std::string::npos) << "a null stays empty\n" << text;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, qdm_register::kTableWidth);

  wide.EmptyDataSet();
  EXPECT_EQ(qdm_register::DatasetTable("reducao", wide), "reducao\n  (vazio)\n");
  wide.Close();
  EXPECT_EQ(qdm_register::DatasetTable("reducao", wide), "reducao\n  (fechado)\n");
}

}  // namespace
}  // namespace register_test
