// Cost of the command channel against the debug log line every command
// writes anyway, and of a whole 100-item coupon on the emulated printer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/support/channel_ratio.h"
#include "bench/bematech/printer_bench.h"

namespace {

// One sandboxed printer for the whole run.
struct Bench : benchsupport::PrinterBench {
  Bench() {
    Start();
    AddPaymentType("001", "01");
    AddPayment("001", 1000.00, 1);
  }
};

// Argument 1 keeps the emulator's fiscal memory in its state file, written
// on every command that changes it; 0 keeps it in memory only.
void BM_Coupon100Items(benchmark::State& state) {
  Bench& bench = benchsupport::OneBench<Bench>();
  const std::string state_file = bench.sandbox.dir.file("mp20fi.state");
  bench.printer.SetStateFile(state.range(0) ? state_file.c_str() : "");
  for (auto _ : state) {
    bool ok = Qdm00100::AbreCupom_Bematech("");
    for (int i = 1; i <= 100; ++i) {
      ok = Qdm00100::VendaItem_Bematech(std::to_string(i), "PRODUTO DE TESTE", "FF", 1, 9.99, 0) && ok;
    }
    std::string numero;
    ok = Qdm00100::FechaCupom_Bematech(false, true, 0, 0, 0, "N", false, "", bench.movimentos, bench.tipos, numero, "",
                                       "", "", "", "") &&
         ok;
    if (!ok) state.SkipWithError("coupon refused");
    state.PauseTiming();
    bench.printer.ClearFrames();
    bench.printer.ClearTape();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Coupon100Items)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchsupport::RegisterChannelBenchmarks<Bench>(
      "\x1B|35|27|\x1B", [] { return Qdm00100::EnviaComando_Bematech("35", {"27"}, false, false); });
  return benchsupport::RunChannelBenchmarks(argc, argv);
}
