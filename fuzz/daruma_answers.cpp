// The Daruma driver's readings of the printer's answers: start-up, the
// totalizer, payment and tax-rate tables (with the "tiporece.cds" letters),
// the rate list handed to the front end, the coupon number, the drawer and
// the totals. "fs345_32.dll"'s entry points are the driver's own pointers;
// each command's answer comes from the fuzzer's bytes, read again the same
// until the input says it changes (an answer still arriving).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "drivers/daruma/Qdm00300.h"
#include "fuzz/printer_answers.h"

namespace {

FuzzedDataProvider* input = nullptr;
std::string answer;

int AbreSerial(const char*) { return 1; }
int FechaSerial() { return 1; }
int Envia(const char*, int, int) {
  if (!input) return -1;
  answer = input->ConsumeRandomLengthString(999);
  return input->ConsumeIntegralInRange<int>(0, 31) == 31 ? -1 : 1;
}
int Resposta(char* buffer, int size) {
  if (!input) return -1;
  switch (input->ConsumeIntegralInRange<int>(0, 15)) {
    case 15:
      return -1;  // nothing read
    case 14:
      answer = input->ConsumeRandomLengthString(999);
      break;  // still arriving
    default:
      break;
  }
  const std::size_t n = std::min<std::size_t>(answer.size(), static_cast<std::size_t>(std::max(size, 0)));
  std::memcpy(buffer, answer.data(), n);
  return static_cast<int>(n);
}
int Erro() { return input ? input->ConsumeIntegral<uint8_t>() : 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::StartPrinterTarget();
  Qdm00300::Dar_AbrePorta = &AbreSerial;
  Qdm00300::DarumaEnviaComando = &Envia;
  Qdm00300::Dar_FechaPorta = &FechaSerial;
  Qdm00300::Dar_Resposta = &Resposta;
  Qdm00300::Dar_Erro = &Erro;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  input = &provider;
  fuzzsupport::FreshPaymentTypes();
  const int tipo = provider.ConsumeBool() ? 8 : 7;
  Qdm00000::IdTipoImpFis = tipo;
  Qdm00300::inTipoImpFis = tipo;
  Qdm00300::boComando = false;
  Qdm00300::IniciaImp_Daruma();
  Qdm00300::CarregaTot_Daruma();
  // The front end's payment types, open on their file.
  platform::TClientDataSet recebimentos("recebimentos");
  recebimentos.FileName = Qdm00000::DsDirCad + "tiporece.cds";
  Qdm00300::CarregaRec_Daruma(recebimentos);
  recebimentos.Close();
  Qdm00300::CarregaAliq_Daruma();
  Qdm00300::RetornoAliq_Daruma();
  (void)Qdm00300::NumeroCupom();
  Qdm00300::Estado_Gaveta_Daruma(false, false);
  Qdm00300::Leitura_Totais_Daruma(false, false);
  std::string resposta;
  Qdm00300::RetornoImpFiscal_Daruma(std::string(1, static_cast<char>(0xFF)), false, resposta);  // the drawer
  input = nullptr;
  answer.clear();
  return 0;
}
