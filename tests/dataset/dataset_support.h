// Small builders and readers shared by the dataset tests.
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/text/datetime.h"

namespace dataset_test {

using platform::TClientDataSet;
using platform::TFieldType;
using platform::Variant;

inline std::string Fixture(const std::string& name) { return std::string(QDM_DATASET_FIXTURES) + "/" + name; }

// The values of one field, in the order the dataset visits its records.
inline std::vector<std::string> Column(TClientDataSet& ds, const std::string& field) {
  std::vector<std::string> values;
  for (ds.First(); !ds.Eof(); ds.Next()) values.push_back(ds.FieldByName(field).AsString());
  return values;
}

// One field of every numeric, date and flag type, after the text fields a
// test declares itself.
inline void DeclareEveryOtherType(TClientDataSet& ds) {
  ds.AddFieldDef("INTEIRO", TFieldType::ftInteger);
  ds.AddFieldDef("CURTO", TFieldType::ftSmallint);
  ds.AddFieldDef("REAL", TFieldType::ftFloat);
  ds.AddFieldDef("EXATO", TFieldType::ftBCD, 2);
  ds.AddFieldDef("DATA", TFieldType::ftDate);
  ds.AddFieldDef("MOMENTO", TFieldType::ftDateTime);
  ds.AddFieldDef("FLAG", TFieldType::ftBoolean);
}

// The payment movements' ordering fields, with the movements' indexes.
inline void DeclareMovements(TClientDataSet& ds) {
  ds.AddFieldDef("NRSEQUMOVI", TFieldType::ftString, 10);
  ds.AddFieldDef("NRORDTROCO", TFieldType::ftString, 3);
  ds.AddFieldDef("DTHRINCMOV", TFieldType::ftDateTime);
  ds.AddFieldDef("VRMOVIVEND", TFieldType::ftFloat);
  ds.AddIndexDef("idxNRORDTROCO", "NRORDTROCO;DTHRINCMOV", "DTHRINCMOV");
  ds.AddIndexDef("idxDTHRINCMOV", "DTHRINCMOV");
}

inline platform::TDateTime At(int hour, int minute) {
  return platform::EncodeDate(2026, 12, 10) + platform::EncodeTime(hour, minute, 0, 0);
}

inline void AddMovement(TClientDataSet& ds, const std::string& seq, const std::string& ord, platform::TDateTime when,
                        double value = 1) {
  ds.Append();
  ds.FieldByName("NRSEQUMOVI").SetAsString(seq);
  ds.FieldByName("NRORDTROCO").SetAsString(ord);
  ds.FieldByName("DTHRINCMOV").SetAsDateTime(when);
  ds.FieldByName("VRMOVIVEND").SetAsFloat(value);
  ds.Post();
}

}  // namespace dataset_test
