// A fresh emulated Daruma printer of the test's model (7 or 8), bound
// through its five entry points, its memory and tape in a sandbox, the
// clock and fiscal day set, and the port open.
#pragma once

#include <gtest/gtest.h>

#include "support/daruma_printer.h"
#include "support/sandbox.h"

namespace daruma_emulator_test {

class PoweredPrinterTest : public ::testing::TestWithParam<int> {
 protected:
  PoweredPrinterTest() {
    printer.Bind("DAR_AbreSerial", Open);
    printer.Bind("DAR_FechaSerial", Close);
    printer.Bind("DAR_Envia", Envia);
    printer.Bind("DAR_Resposta", Resposta);
    printer.Bind("DAR_Erro", Erro);
    printer.SetStateFile(dir.file("fs345.state").c_str());
    printer.SetTapeFile(dir.file("tape.txt").c_str());
    printer.SetModel(GetParam());
    printer.Reset();
    printer.SetClock(2026, 12, 10, 14, 0, 0);
    printer.SetFiscalDay(2026, 12, 10);
    Open("COM1:9600,N,8,1");
  }
  ~PoweredPrinterTest() override {
    Close();
    printer.SetStateFile("");
  }

  testsupport::TempDir dir;
  testsupport::DarumaPrinter printer;
  int (*Open)(const char*) = nullptr;
  int (*Close)() = nullptr;
  int (*Envia)(const char*, int, int) = nullptr;
  int (*Resposta)(char*, int) = nullptr;
  int (*Erro)() = nullptr;
};

}  // namespace daruma_emulator_test
