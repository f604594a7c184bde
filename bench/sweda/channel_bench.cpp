// Cost of the Sweda command channel against the debug-log line every
// command writes anyway: one status-free query ("27") through
// EnviaComando_Sweda on the emulated printer, and the log line alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "sweda/sweda_fixture.h"

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
  sweda_test::SwedaPrinter printer;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

const std::string kFrame = "\x1B.27}";

void BM_DebugLogLine(benchmark::State& state) {
  TheBench();
  for (auto _ : state) Qdm00000::ImpFisDebug("Comando : " + kFrame);
}
BENCHMARK(BM_DebugLogLine);

void BM_ChannelCommand(benchmark::State& state) {
  TheBench().printer.ClearFrames();
  for (auto _ : state) benchmark::DoNotOptimize(Qdm00200::EnviaComando_Sweda("27", {}, false, false));
  TheBench().printer.ClearFrames();
}
BENCHMARK(BM_ChannelCommand);

// Prints the channel's cost as a multiple of the log line alone.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto log = times_.find("BM_DebugLogLine");
    auto command = times_.find("BM_ChannelCommand");
    if (log != times_.end() && command != times_.end() && log->second > 0)
      std::printf("channel command / debug log line = %.2f\n", command->second / log->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
