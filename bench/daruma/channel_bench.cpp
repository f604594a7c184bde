// Cost of the Daruma command channel (frame, log line, send, and the answer
// read twice until stable) against the debug log line every command writes
// anyway, on the emulated printer of each model.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "support/daruma_printer.h"
#include "drivers/daruma/Qdm00300.h"
#include "facade/Qdm00000.h"
#include "bench/support/channel_ratio.h"
#include "support/sandbox.h"

namespace {

struct Bench {
  Bench() {
    printer.ResetInto(sandbox, 7);
    printer.SetStateFile("");
    Qdm00000::IdTipoImpFis = 7;
    if (!Qdm00300::StartImpFis_Daruma("7", "COM1") || Qdm00300::DarumaEnviaComando == nullptr) {
      std::fprintf(stderr, "emulated printer did not start\n");
      std::abort();
    }
  }
  testsupport::Sandbox sandbox;
  testsupport::DarumaPrinter printer;
};

}  // namespace

// The printer's clock: a command that answers and changes nothing, on each
// model.
int main(int argc, char** argv) {
  const std::string clock = "\xE6";
  benchsupport::RegisterChannelBenchmarks<Bench>(
      "\x1B" + clock, [clock] { return Qdm00300::EnviaComando_Daruma(clock, {}, false, false); },
      [](Bench& bench, const benchmark::State& state) {
        bench.printer.SetModel(static_cast<int>(state.range(0)));
        Qdm00300::inTipoImpFis = static_cast<int>(state.range(0));
      },
      {7, 8});
  return benchsupport::RunChannelBenchmarks(argc, argv, "/7");
}
