// Cost of the Sweda command channel against the debug-log line every
// command writes anyway: one status-free query ("27") through
// EnviaComando_Sweda on the emulated printer, and the log line alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/support/channel_ratio.h"
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "support/sweda_printer.h"

namespace {

// One sandboxed type-3 printer for the whole run.
struct Bench {
  Bench() {
    printer.ResetInto(sandbox, 3);
    printer.SetStateFile("");
    Qdm00000::IdTipoImpFis = 3;
    if (!Qdm00200::StartImpFis_Sweda("COM1") || !Qdm00200::boImpFiscalOK) {
      std::fprintf(stderr, "emulated printer did not start\n");
      std::abort();
    }
  }
  testsupport::Sandbox sandbox;
  testsupport::SwedaPrinter printer;
};

}  // namespace

int main(int argc, char** argv) {
  benchsupport::RegisterChannelBenchmarks<Bench>("\x1B.27}",
                                                 [] { return Qdm00200::EnviaComando_Sweda("27", {}, false, false); });
  return benchsupport::RunChannelBenchmarks(argc, argv);
}
