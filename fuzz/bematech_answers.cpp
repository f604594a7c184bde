// The Bematech driver's readings of the printer's answers: start-up
// variables, the tax-rate table and its service-rate map, the totalizer
// list and the payment-method numbers. The maker library's entry points
// are the driver's own pointers; here they answer with the fuzzer's bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "fuzz/fuzz_support.h"

namespace {

FuzzedDataProvider* input = nullptr;

int IniPortaStr(const char*) { return 1; }
int FechaPorta() { return 1; }
int FormataTX(const char*) { return input->ConsumeIntegralInRange<int>(0, 8) == 8 ? 1 : 0; }
int Status(int* retorno, int* ack, int* st1, int* st2) {
  *retorno = 1;
  *ack = 6;
  // Mostly a printer at rest; now and then any status bytes.
  const bool odd = input->ConsumeIntegralInRange<int>(0, 15) == 15;
  *st1 = odd ? input->ConsumeIntegral<uint8_t>() : 0;
  *st2 = odd ? input->ConsumeIntegral<uint8_t>() : 0;
  return 1;
}
// The library writes its answer over the driver's 3000 bytes.
int LeVariaveis(char* buffer) {
  const std::string answer = input->ConsumeRandomLengthString(3000);
  std::memcpy(buffer, answer.data(), std::min<std::size_t>(answer.size(), 3000));
  return 1;
}
int RetornaAscii() { return 0; }

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
  Qdm00100::BemaIniPortaStr = &IniPortaStr;
  Qdm00100::BemaFechaPorta = &FechaPorta;
  Qdm00100::BemaFormataTX = &FormataTX;
  Qdm00100::BemaStatus_Mp20FI = &Status;
  Qdm00100::BemaLe_Variaveis = &LeVariaveis;
  Qdm00100::BemaRetorna_ASCII = &RetornaAscii;
  Qdm00100::MaxBusyPolls = 3;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  input = &provider;
  Qdm00000::IdTipoImpFis = 1;
  Qdm00100::IniciaImp_Bematech();
  Qdm00100::CarregaAliq_Bematech();
  Qdm00100::Retorno_Aliquotas_Bematech();
  Qdm00100::CarregaTot_Bematech();
  Qdm00100::CarregaRec_Bematech(Payments());
  (void)Qdm00100::DataMov_Bematech();
  input = nullptr;
  return 0;
}
