// The front end's tax-rate dataset ("aliquotas") as every driver fills it
// from its printer's table: code, rate and kind of each row.
#pragma once
#include <string>

#include "platform/dataset/dataset.h"

namespace drivers {

inline void AddRate(platform::TClientDataSet& aliquotas, const std::string& codigo, double valor,
                    const std::string& tipo) {
  aliquotas.Append();
  aliquotas.FieldByName("CDALIQIMPFIS").SetAsString(codigo);
  aliquotas.FieldByName("VRALIQIMPFIS").SetAsFloat(valor);
  aliquotas.FieldByName("IDALIQIMPFIS").SetAsString(tipo);
  aliquotas.Post();
}

}  // namespace drivers
