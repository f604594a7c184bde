// What the Bematech benchmarks run on: a sandbox, the emulated printer
// reset into it with the driver started on it, and the payment types and
// movements a coupon closing takes.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "facade/Qdm00000.h"
#include "data_module/dtmCupomFiscal.h"
#include "support/emulated_printer.h"
#include "support/sandbox.h"

namespace benchsupport {

[[noreturn]] inline void Fail(const char* why) {
  std::fprintf(stderr, "%s\n", why);
  std::abort();
}

struct PrinterBench {
  PrinterBench() {
    sandbox.ResetPrinter(printer);
    DefinePaymentTypeFields(tipos);
    tipos.CreateDataSet();
    movimentos.FieldDefs = Qdm00000::DataModule().cdsMovCaixa.FieldDefs;
    movimentos.CreateDataSet();
  }

  // Starts the driver (type code 1) on the printer as it is programmed now.
  void Start() {
    Qdm00000::IdTipoImpFis = 1;
    if (!Qdm00100::StartImpFis_Bematech("COM1") || !Qdm00100::boImpFiscalOK) Fail("emulated printer did not start");
    Qdm00100::CarregaTot_Bematech();
  }

  // A payment type paid on the printer's method `metodo`, and a payment of
  // `valor` in it.
  void AddPaymentType(const std::string& codigo, const std::string& metodo) {
    tipos.Append();
    tipos.FieldByName("CDTIPORECE").SetAsString(codigo);
    tipos.FieldByName("IDTIPORECE").SetAsString("1");
    tipos.FieldByName("CDFPIMPFIS").SetAsString(metodo);
    tipos.Post();
  }
  void AddPayment(const std::string& codigo, double valor, double quando) {
    movimentos.Append();
    movimentos.FieldByName("IDTIPOMOVIVE").SetAsString("E");
    movimentos.FieldByName("CDTIPORECE").SetAsString(codigo);
    movimentos.FieldByName("VRMOVIVEND").SetAsFloat(valor);
    movimentos.FieldByName("DTHRINCMOV").SetAsDateTime(quando);
    movimentos.Post();
  }

  testsupport::Sandbox sandbox;
  testsupport::EmulatedPrinter printer;
  platform::TClientDataSet tipos{"tipos"};
  platform::TClientDataSet movimentos{"movimentos"};
};

}  // namespace benchsupport
