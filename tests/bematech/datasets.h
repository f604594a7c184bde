// Builders of the front end's datasets the driver reads: payment types and
// the payment movements of a sale.
#pragma once
#include <string>

#include "facade/dtmCupomFiscal.h"
#include "platform/dataset/dataset.h"

namespace bematech_test {

struct PaymentType {
  std::string cdtiporece;
  std::string nmtiporece;
  std::string idtiporece;
  std::string idtpbutton = "5";
  std::string cdfpimpfis = "";
};

// Starts the dataset afresh, layout included.
inline void Clear(platform::TClientDataSet& ds) {
  ds.Close();
  ds.SetFiltered(false);
  ds.SetFilter("");
  ds.SetIndexName("");
  ds.FieldDefs.clear();
  ds.IndexDefs.clear();
}

inline void FillPaymentTypes(platform::TClientDataSet& ds, std::initializer_list<PaymentType> types) {
  Clear(ds);
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  for (const PaymentType& t : types) {
    ds.Append();
    ds.FieldByName("CDTIPORECE").SetAsString(t.cdtiporece);
    ds.FieldByName("NMTIPORECE").SetAsString(t.nmtiporece);
    ds.FieldByName("IDTIPORECE").SetAsString(t.idtiporece);
    ds.FieldByName("IDTPBUTTON").SetAsString(t.idtpbutton);
    ds.FieldByName("CDFPIMPFIS").SetAsString(t.cdfpimpfis);
    ds.Post();
  }
}

struct Movement {
  std::string idtipomovive;  // "E" for a payment
  std::string cdtiporece;
  double valor;
  double quando;  // DTHRINCMOV
};

inline void FillMovements(platform::TClientDataSet& ds, std::initializer_list<Movement> movements) {
  Clear(ds);
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

}  // namespace bematech_test
