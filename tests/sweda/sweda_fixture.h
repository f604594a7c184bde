// A Sweda test: the emulated "SERSWEDA.dll" loaded at run time (the control
// interface bound from the same file the driver loads), reset into a
// sandbox with its clock on the library clock, the facade started on a
// Sweda type code, and helpers to read the wire, the log and the screen.
#pragma once
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "facade/Qdm00000.h"
#include "platform/text/datetime.h"
#include "support/sweda_printer.h"
#include "support/printer_marks.h"
#include "support/sandbox.h"
#include "tests/facade/facade_fixture.h"

namespace sweda_test {

using testsupport::SwedaPrinter;

// ESC "." code arguments "}".
inline std::string Frame(const std::string& code, const std::string& args = "") {
  return SwedaPrinter::FrameFor(code, args);
}

using facade_test::Text;

// A test on one Sweda type code (the parameter), the driver started
// through the facade on the emulated printer of that model.
class SwedaTest : public facade_test::FacadeTest,
                  public testsupport::PrinterMarks,
                  public ::testing::WithParamInterface<int> {
 protected:
  explicit SwedaTest(int tipo = 3) : PrinterMarks(sandbox, printer), tipo_(tipo) { ResetDriver(); }
  ~SwedaTest() override {
    if (Qdm00000::ImpFiscalOK()) Qdm00000::StopImpFiscal();
    Qdm00200::StopImpFis_Sweda();
    ResetDriver();
    sandbox.dialogs->on_show = nullptr;
  }

  static void ResetDriver() {
    Qdm00200::ClearGlobals();
    Qdm00200::SwedaBusyTimeoutMs = 30000;
    Qdm00200::SwedaPollTimeoutMs = 30000;
  }

  int Tipo() const { return tipo_ != 0 ? tipo_ : GetParam(); }

  void SetUp() override {
    printer.ResetInto(sandbox, Tipo());
    Qdm00000::DsDirCad = sandbox.dir.path() + "/";
    Qdm00000::stPorta = "COM1";
    ASSERT_TRUE(Qdm00000::StartImpFiscal(std::to_string(Tipo()), "COM1"));
    ASSERT_TRUE(Qdm00000::ImpFiscalOK());
    Mark();
  }

  // Forget the traffic, the tape, dialogs and log lines so far.
  void Mark() {
    printer.ClearTape();
    PrinterMarks::Mark();
  }

  SwedaPrinter printer;

 private:
  int tipo_;
};

// Fixtures on one model, and on all four.
class Type3Test : public SwedaTest {
 protected:
  Type3Test() : SwedaTest(3) {}
};
class EveryModelTest : public SwedaTest {
 protected:
  EveryModelTest() : SwedaTest(0) {}
};

}  // namespace sweda_test
