// A facade test: a sandboxed host directory, a frozen clock and scripted
// dialogs, with the facade's globals and data module back to a fresh state.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "facade/Qdm00000.h"
#include "facade/globals.h"
#include "support/sandbox.h"

namespace facade_test {

inline void ResetFacade() {
  using namespace Qdm00000;
  Qdm00000::ClearGlobals();
  TdtmCupomFiscal& dm = DataModule();
  dm.IdPortaImpFis = 0;
  dm.cdsAliqImpFis.Close();
  dm.cdsProduto.Close();
  dm.cdsCheckECF.Close();
}

// One row of the printer's tax rates (cdsAliqImpFis).
struct TaxRate {
  const char* cd;
  double vr;
  const char* id;
};

// Opens the tax-rate table and fills it with the rows given.
inline void FillTaxRates(platform::TClientDataSet& rates, std::initializer_list<TaxRate> rows) {
  rates.CreateDataSet();
  for (const TaxRate& r : rows) {
    rates.Append();
    rates.FieldByName("CDALIQIMPFIS").SetAsString(r.cd);
    rates.FieldByName("VRALIQIMPFIS").SetAsFloat(r.vr);
    rates.FieldByName("IDALIQIMPFIS").SetAsString(r.id);
    rates.Post();
  }
}

// The catalogue text of a key, as the operator sees it.
inline std::string Text(const std::string& key) { return Qdm00000::DataModule().msgPadrao.Msg(key); }

class FacadeTest : public ::testing::Test {
 protected:
  explicit FacadeTest(platform::TDateTime now = platform::EncodeDate(2026, 12, 10) + platform::EncodeTime(14, 0, 0, 0))
      : sandbox(now) {
    ResetFacade();
  }
  ~FacadeTest() override { ResetFacade(); }

  std::vector<std::string> DialogTexts() const { return sandbox.dialogs->Texts(); }

  testsupport::Sandbox sandbox;
};

}  // namespace facade_test
