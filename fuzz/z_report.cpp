// The Bematech Z-reduction export's reading of "mp20fi.ret": any report
// the printer's library leaves behind gives datasets or a logged error,
// never a fault. The file is the fuzzer's input, written by the library
// when the driver sends "69", as the maker's library writes it; the
// printer answers every command at rest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "fuzz/bematech_library.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/payment_types.h"

namespace {

// The front end's payment types with the printer's method numbers.
platform::TClientDataSet& PaymentTypes() {
  static platform::TClientDataSet types("tiposRecebimento");
  if (!types.Active()) {
    testsupport::FillPaymentTypes(
        types,
        {{"001", "Dinheiro", "1", "5", "01"}, {"002", "Cartao", "4", "5", "02"}, {"003", "Vale", "4", "5", "03"}});
  }
  return types;
}

// The report the library writes on "69": the input being run.
std::string& PendingReport() {
  static std::string report;
  return report;
}

int FormataTX(const char* frame) {
  if (std::string(frame) == "\x1B|69|\x1B") fuzzsupport::WriteScratchFile("mp20fi.ret", PendingReport());
  return 0;
}

int StatusAtRest(int* retorno, int* ack, int* st1, int* st2) {
  *retorno = 0;
  *ack = 6;
  *st1 = 0;
  *st2 = 0;
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::Unattended();
  std::filesystem::current_path(fuzzsupport::ScratchDir());  // where "69" leaves its report
  fuzzsupport::bematech::Bind();
  Qdm00100::BemaFormataTX = &FormataTX;
  Qdm00100::BemaStatus_Mp20FI = &StatusAtRest;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PendingReport().assign(reinterpret_cast<const char*>(data), size);
  // The restaurant model reads one line more among the fiscal totals.
  const int types[] = {1, 2, 9};
  Qdm00000::IdTipoImpFis = types[size % 3];
  platform::TClientDataSet reducao("reducaoZ"), formas("formas"), impostos("impostos"), totais("totais");
  // A report read whole gives the reduction's one record.
  if (Qdm00100::ExportRedZ_Bematech(PaymentTypes(), reducao, formas, impostos, totais) && reducao.RecordCount() != 1)
    fuzzsupport::Broken("a whole report gives one reduction record");
  return 0;
}
