// The Bematech Z-reduction export's reading of "mp20fi.ret": any report
// the printer's library leaves behind gives datasets or a logged error,
// never a fault. The file is the fuzzer's input; the printer answers the
// "69" command at rest.
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
    testsupport::FillPaymentTypes(types, {{"001", "Dinheiro", "1", "5", "01"},
                                          {"002", "Cartao", "4", "5", "02"},
                                          {"003", "Vale", "4", "5", "03"}});
  }
  return types;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::Unattended();
  std::filesystem::current_path(fuzzsupport::ScratchDir());  // where "69" leaves its report
  fuzzsupport::bematech::Bind();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::WriteScratchFile("mp20fi.ret", std::string(reinterpret_cast<const char*>(data), size));
  // The restaurant model reads one line more among the fiscal totals.
  const int types[] = {1, 2, 9};
  Qdm00000::IdTipoImpFis = types[size % 3];
  platform::TClientDataSet reducao("reducaoZ"), formas("formas"), impostos("impostos"), totais("totais");
  if (!Qdm00100::ExportRedZ_Bematech(PaymentTypes(), reducao, formas, impostos, totais))
    fuzzsupport::Broken("ExportRedZ_Bematech answers true");
  return 0;
}
