// A Bematech driver test: the emulated printer loaded at run time, reset
// into a sandbox, the driver started on it, and helpers to read what went
// over the wire, into the debug log and onto the operator's screen.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "facade/Qdm00000.h"
#include "facade/globals.h"
#include "support/emulated_printer.h"
#include "support/movements.h"
#include "support/printer_marks.h"
#include "support/sandbox.h"

namespace bematech_test {

using Printer = testsupport::EmulatedPrinter;
// The front end's datasets, built as in every maker's tests.
using testsupport::FillMovements;
using testsupport::FillPaymentTypes;
using testsupport::Movement;

// The catalogue text of a key, as the operator sees it.
inline std::string Text(const std::string& key) { return Qdm00000::DataModule().msgPadrao.Msg(key); }

inline std::string Frame(const std::string& code, const std::vector<std::string>& args = {}) {
  return Printer::FrameFor(code, args);
}

class DriverTest : public ::testing::Test, public testsupport::PrinterMarks {
 protected:
  DriverTest() : PrinterMarks(sandbox, printer) {
    sandbox.ResetPrinter(printer);
    Qdm00000::ClearGlobals();
    Qdm00100::ClearGlobals();
    Qdm00000::IdTipoImpFis = 1;
  }
  ~DriverTest() override {
    Qdm00100::ClearGlobals();
    sandbox.dialogs->on_show = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
    ASSERT_TRUE(Qdm00100::boImpFiscalOK);
    Mark();
  }

  testsupport::Sandbox sandbox;
  Printer printer;
};

}  // namespace bematech_test
