// A facade test with the emulated Bematech printer behind the real driver,
// its clock and fiscal day set to the library clock's moment.
#pragma once
#include <string>
#include <vector>

#include "facade/Qdm00000.h"
#include "support/emulated_printer.h"
#include "support/printer_marks.h"
#include "tests/facade/facade_fixture.h"

namespace facade_test {

class PrinterTest : public FacadeTest, public testsupport::PrinterMarks {
 protected:
  explicit PrinterTest(platform::TDateTime now = platform::EncodeDate(2026, 12, 10) + platform::EncodeTime(14, 0, 0, 0))
      : FacadeTest(now), PrinterMarks(sandbox, printer) {
    sandbox.ResetPrinter(printer);
  }
  ~PrinterTest() override {
    if (Qdm00000::ImpFiscalOK()) Qdm00000::StopImpFiscal();
  }

  // Loads the driver and opens the port, as the front end starts a
  // Bematech register, then forgets the port's traffic.
  void StartBematech(const std::string& tipo = "1") {
    Qdm00000::stPorta = "COM1";
    ASSERT_TRUE(Qdm00000::StartImpFiscal(tipo, "COM1"));
    Qdm00000::SetImpFiscalOK(true);
    Mark();
  }

  // Command codes of the frames received, in order ("35", "26", ...).
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (const std::string& f : printer.Frames()) {
      const std::size_t end = f.find('|', 2);
      codes.push_back(f.substr(2, end == std::string::npos ? std::string::npos : end - 2));
    }
    return codes;
  }
  bool Received(const std::string& code) const { return !printer.FramesOf(code).empty(); }

  testsupport::EmulatedPrinter printer;
};

}  // namespace facade_test
