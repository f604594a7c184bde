// The front end's payment types ("tiporece") as the drivers read them: one
// builder for every maker's tests.
#pragma once
#include <initializer_list>
#include <string>

#include "data_module/dtmCupomFiscal.h"
#include "platform/dataset/dataset.h"

namespace testsupport {

struct PaymentType {
  std::string cdtiporece;
  std::string nmtiporece;
  std::string idtiporece;
  std::string idtpbutton = "5";
  std::string cdfpimpfis = "";   // the printer's payment method, once known
  std::string cdtipotroco = "";  // the type the change is given in
};

// Starts the dataset afresh, layout included.
inline void ClearDataSet(platform::TClientDataSet& ds) {
  ds.Close();
  ds.SetFiltered(false);
  ds.SetFilter("");
  ds.SetIndexName("");
  ds.FieldDefs.clear();
  ds.IndexDefs.clear();
}

template <class Types = std::initializer_list<PaymentType>>
void FillPaymentTypes(platform::TClientDataSet& ds, const Types& types) {
  ClearDataSet(ds);
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  for (const PaymentType& t : types) {
    ds.Append();
    ds.FieldByName("CDTIPORECE").SetAsString(t.cdtiporece);
    ds.FieldByName("NMTIPORECE").SetAsString(t.nmtiporece);
    ds.FieldByName("IDTIPORECE").SetAsString(t.idtiporece);
    ds.FieldByName("IDTPBUTTON").SetAsString(t.idtpbutton);
    ds.FieldByName("CDFPIMPFIS").SetAsString(t.cdfpimpfis);
    ds.FieldByName("CDTIPOTROCO").SetAsString(t.cdtipotroco);
    ds.Post();
  }
}

}  // namespace testsupport
