// The Bematech driver's readings of the printer's answers: start-up
// variables, the tax-rate table and its service-rate map, the totalizer
// list and the payment-method numbers. The maker library's entry points
// are the driver's own pointers; here they answer with the fuzzer's bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "fuzz/bematech_library.h"
#include "fuzz/fuzz_support.h"

namespace {

// Payment types as the front end passes them: two for the printer's
// buttons, one that is not.
platform::TClientDataSet& Payments() {
  static platform::TClientDataSet payments("cdsTipoRece");
  if (!payments.Active()) {
    payments.AddFieldDef("IDTIPORECE", platform::TFieldType::ftString, 1);
    payments.AddFieldDef("NMTIPORECE", platform::TFieldType::ftString, 30);
    payments.AddFieldDef("IDTPBUTTON", platform::TFieldType::ftString, 1);
    payments.AddFieldDef("CDFPIMPFIS", platform::TFieldType::ftString, 2);
    payments.AddFieldDef("IDEMIVALE", platform::TFieldType::ftString, 1);
    payments.CreateDataSet();
    for (const char* row : {"4Cartão", "1Dinheiro", "BVale"}) {
      payments.Append();
      payments.FieldByName("IDTIPORECE").SetAsString(std::string(1, row[0]));
      payments.FieldByName("NMTIPORECE").SetAsString(row + 1);
      payments.FieldByName("IDTPBUTTON").SetAsString(row[0] == '1' ? "1" : "5");
      payments.Post();
    }
  }
  return payments;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::Unattended();
  std::filesystem::current_path(fuzzsupport::ScratchDir());  // the driver's log lands here
  fuzzsupport::bematech::Bind();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  fuzzsupport::bematech::Input() = &provider;
  Qdm00000::IdTipoImpFis = 1;
  Qdm00100::IniciaImp_Bematech();
  Qdm00100::CarregaAliq_Bematech();
  Qdm00100::Retorno_Aliquotas_Bematech();
  Qdm00100::CarregaTot_Bematech();
  Qdm00100::CarregaRec_Bematech(Payments());
  (void)Qdm00100::DataMov_Bematech();
  fuzzsupport::bematech::Input() = nullptr;
  return 0;
}
