// The channel benchmarks' report: the console table, then the cost of one
// command through a driver's channel as a multiple of the debug-log line
// the channel writes anyway (BM_ChannelCommand / BM_DebugLogLine).
#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "facade/Qdm00000.h"

namespace benchsupport {

// The debug-log line a channel writes for one command frame, alone: the
// measure the channel's cost is compared with.
inline void DebugLogLine(benchmark::State& state, const std::string& frame) {
  for (auto _ : state) Qdm00000::ImpFisDebug("Comando : " + frame);
}

class ChannelRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto log = times_.find("BM_DebugLogLine");
    auto command = times_.find("BM_ChannelCommand");
    if (log != times_.end() && command != times_.end() && log->second > 0) {
      std::printf("channel command / debug log line = %.2f\n", command->second / log->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

// main() of a channel benchmark.
inline int RunChannelBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  ChannelRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace benchsupport
