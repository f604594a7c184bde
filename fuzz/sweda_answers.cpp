// The Sweda driver's readings of the printer's answers: the start-up
// identity and counters, the totalizer, tax-rate and payment tables (with
// the "tiporece.cds" numbering), the state poll, the drawer, the coupon
// number and the totals. "SERSWEDA.dll"'s entry points are the driver's own
// pointers; each command's answer (length byte and text, as the library
// fills the driver's 256 bytes) comes from the fuzzer's bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "fuzz/printer_answers.h"

namespace {

FuzzedDataProvider* input = nullptr;

int AbrePorta(int, int) { return 1; }
int FechaPorta(int) { return 1; }
int EnviaComando(const char*, char* resposta) {
  if (!input) return 0;
  // Now and then a library that fills the buffer without a fitting length.
  const std::string answer = input->ConsumeRandomLengthString(255);
  const bool odd_length = input->ConsumeIntegralInRange<int>(0, 15) == 15;
  resposta[0] = static_cast<char>(odd_length ? input->ConsumeIntegral<uint8_t>() : answer.size());
  std::memcpy(resposta + 1, answer.data(), answer.size());
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::StartPrinterTarget();
  Qdm00200::SwedaAbrePorta = &AbrePorta;
  Qdm00200::SwedaEnviaComando = &EnviaComando;
  Qdm00200::SwedaFechaPorta = &FechaPorta;
  // A busy printer is asked a few times only.
  Qdm00200::SwedaBusyTimeoutMs = 200;
  Qdm00200::SwedaPollTimeoutMs = 200;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  input = &provider;
  fuzzsupport::FreshPaymentTypes();
  Qdm00000::IdTipoImpFis = provider.ConsumeIntegralInRange<int>(3, 6);
  Qdm00200::SwedaVerifRetorno = provider.ConsumeBool();
  Qdm00200::boComando = false;
  Qdm00200::IniciaImp_Sweda();
  Qdm00200::CarregaTot_Sweda();
  Qdm00200::CarregaAliq_Sweda();
  platform::TClientDataSet recebimentos("recebimentos");
  Qdm00200::CarregaRec_Sweda(recebimentos);
  Qdm00200::Estado_Gaveta_Sweda(false, true);
  Qdm00200::Numero_Cupom_Sweda();
  Qdm00200::Leitura_Totais_Sweda(false, true);
  (void)Qdm00200::RetornoImpFiscal_Sweda("27", false);
  input = nullptr;
  return 0;
}
