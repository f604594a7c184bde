// Cost of the Daruma command channel (frame, log line, send, and the answer
// read twice until stable) against the debug log line every command writes
// anyway, on the emulated printer of each model.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "daruma/daruma_printer.h"
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
  daruma_test::DarumaPrinter printer;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

const std::string kClock = "\xE6";

void BM_DebugLogLine(benchmark::State& state) {
  TheBench();
  benchsupport::DebugLogLine(state, "\x1B" + kClock);
}
BENCHMARK(BM_DebugLogLine);

// The printer's clock: a command that answers and changes nothing.
void BM_ChannelCommand(benchmark::State& state) {
  Bench& bench = TheBench();
  bench.printer.SetModel(static_cast<int>(state.range(0)));
  Qdm00300::inTipoImpFis = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(Qdm00300::EnviaComando_Daruma(kClock, {}, false, false));
  bench.printer.ClearFrames();
}
BENCHMARK(BM_ChannelCommand)->Arg(7)->Arg(8);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchsupport::RatioReporter reporter("BM_ChannelCommand/7", "BM_DebugLogLine",
                                       "channel command / debug log line");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
