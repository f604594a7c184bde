// Cost of the command channel against the debug log line every command
// writes anyway, and of a whole 100-item coupon on the emulated printer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/support/channel_ratio.h"
#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "facade/dtmCupomFiscal.h"
#include "support/emulated_printer.h"
#include "support/sandbox.h"

namespace {

// One sandboxed printer for the whole run.
struct Bench {
  Bench() {
    sandbox.ResetPrinter(printer);
    Qdm00000::IdTipoImpFis = 1;
    if (!Qdm00100::StartImpFis_Bematech("COM1") || !Qdm00100::boImpFiscalOK) {
      std::fprintf(stderr, "emulated printer did not start\n");
      std::abort();
    }
    Qdm00100::CarregaTot_Bematech();
    TdtmCupomFiscal& dm = Qdm00000::DataModule();
    DefinePaymentTypeFields(tipos);
    tipos.CreateDataSet();
    tipos.Append();
    tipos.FieldByName("CDTIPORECE").SetAsString("001");
    tipos.FieldByName("IDTIPORECE").SetAsString("1");
    tipos.FieldByName("CDFPIMPFIS").SetAsString("01");
    tipos.Post();
    movimentos.FieldDefs = dm.cdsMovCaixa.FieldDefs;
    movimentos.CreateDataSet();
    movimentos.Append();
    movimentos.FieldByName("IDTIPOMOVIVE").SetAsString("E");
    movimentos.FieldByName("CDTIPORECE").SetAsString("001");
    movimentos.FieldByName("VRMOVIVEND").SetAsFloat(1000.00);
    movimentos.Post();
  }
  testsupport::Sandbox sandbox;
  testsupport::EmulatedPrinter printer;
  platform::TClientDataSet tipos{"tipos"};
  platform::TClientDataSet movimentos{"movimentos"};
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
      ok = Qdm00100::VendaItem_Bematech(std::to_string(i), "PRODUTO DE TESTE", "FF", 1, 9.99, 0) &&
           ok;
    }
    std::string numero;
    ok = Qdm00100::FechaCupom_Bematech(false, true, 0, 0, 0, "N", false, "", bench.movimentos,
                                       bench.tipos, numero, "", "", "", "", "") &&
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
  benchsupport::RegisterChannelBenchmarks<Bench>("\x1B|35|27|\x1B", [] {
    return Qdm00100::EnviaComando_Bematech("35", {"27"}, false, false);
  });
  return benchsupport::RunChannelBenchmarks(argc, argv);
}
