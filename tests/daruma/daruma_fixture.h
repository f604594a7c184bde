// A Daruma test through the facade: the emulated printer of the model under
// test loaded at run time and reset into a sandbox, the facade started on
// the type code, and helpers to read the wire, the log and the dialogs.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/daruma_printer.h"
#include "support/payment_types.h"
#include "support/printer_marks.h"
#include "support/sandbox.h"
#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "facade/Qdm00000.h"
#include "tests/facade/facade_fixture.h"

namespace daruma_test {

using testsupport::Byte;
inline const std::string kEsc = Byte(0x1B);

// The driver's tables and the module's globals back to a fresh library.
inline void ResetDriver() { Qdm00300::ClearGlobals(); }

class DarumaTest : public facade_test::FacadeTest, public testsupport::PrinterMarks {
 protected:
  explicit DarumaTest(int tipo = 7) : PrinterMarks(sandbox, printer), tipo_(tipo) {
    ResetDriver();
    printer.ResetInto(sandbox, tipo);
    Qdm00000::DsDirCad = sandbox.dir.path() + "/";
  }
  ~DarumaTest() override {
    if (Qdm00000::ImpFiscalOK()) Qdm00000::StopImpFiscal();
    Qdm00300::StopImpFiscal_Daruma();
    sandbox.dialogs->on_show = nullptr;
    ResetDriver();
  }

  // Starts the driver on the type code as the front end does, then forgets
  // the traffic and the dialogs.
  void Start() {
    Qdm00000::stPorta = "COM1";
    ASSERT_TRUE(Qdm00000::StartImpFiscal(std::to_string(tipo_), "COM1"));
    Qdm00000::SetImpFiscalOK(true);
    Mark();
  }

  // The front end's payment-type file, which the driver reads.
  std::string TipoRecePath() const { return Qdm00000::DsDirCad + "tiporece.cds"; }
  void WriteTipoRece(const std::vector<testsupport::PaymentType>& types) const {
    platform::TClientDataSet ds("tiporece");
    testsupport::FillPaymentTypes(ds, types);
    ds.SaveToFile(TipoRecePath());
  }

  // The frames' command bytes after ESC, 0x1D or nothing (the first byte of a frame without one).
  std::vector<unsigned char> CommandBytes() const {
    std::vector<unsigned char> bytes;
    for (const std::string& f : Frames()) {
      const bool lead = !f.empty() && (f[0] == '\x1B' || f[0] == '\x1D');
      bytes.push_back(f.size() > (lead ? 1u : 0u) ? static_cast<unsigned char>(f[lead ? 1 : 0]) : 0);
    }
    return bytes;
  }

  int tipo_;
  testsupport::DarumaPrinter printer;
};

// Runs a test body on both models.
class BothModelsTest : public DarumaTest, public ::testing::WithParamInterface<int> {
 protected:
  BothModelsTest() : DarumaTest(GetParam()) {}
};

}  // namespace daruma_test
