// The payment movements of a sale (the front end's "movimentos"), as the
// drivers read them when a coupon is closed: one builder for every maker's
// tests.
#pragma once
#include <initializer_list>
#include <string>

#include "platform/dataset/dataset.h"
#include "support/payment_types.h"

namespace testsupport {

struct Movement {
  std::string idtipomovive;  // "E" for a payment
  std::string cdtiporece;
  double valor;
  double quando;  // DTHRINCMOV
};

inline void FillMovements(platform::TClientDataSet& ds, std::initializer_list<Movement> movements) {
  ClearDataSet(ds);
  ds.AddFieldDef("IDTIPOMOVIVE", platform::TFieldType::ftString, 1);
  ds.AddFieldDef("CDTIPORECE", platform::TFieldType::ftString, 3);
  ds.AddFieldDef("DTHRINCMOV", platform::TFieldType::ftDateTime);
  ds.AddFieldDef("VRMOVIVEND", platform::TFieldType::ftFloat);
  ds.AddFieldDef("NRORDTROCO", platform::TFieldType::ftString, 3);
  ds.CreateDataSet();
  for (const Movement& m : movements) {
    ds.Append();
    ds.FieldByName("IDTIPOMOVIVE").SetAsString(m.idtipomovive);
    ds.FieldByName("CDTIPORECE").SetAsString(m.cdtiporece);
    ds.FieldByName("DTHRINCMOV").SetAsDateTime(m.quando);
    ds.FieldByName("VRMOVIVEND").SetAsFloat(m.valor);
    ds.Post();
  }
}

}  // namespace testsupport
