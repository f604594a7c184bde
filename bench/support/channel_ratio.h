// The channel benchmarks' report: the console table, then the cost of one
// command through a driver's channel as a multiple of the debug-log line
// the channel writes anyway (BM_ChannelCommand / BM_DebugLogLine).
#pragma once
#include <benchmark/benchmark.h>

#include <string>

#include "facade/Qdm00000.h"
#include "ratio_reporter.h"

namespace benchsupport {

// The debug-log line a channel writes for one command frame, alone: the
// measure the channel's cost is compared with.
inline void DebugLogLine(benchmark::State& state, const std::string& frame) {
  for (auto _ : state) Qdm00000::ImpFisDebug("Comando : " + frame);
}

// main() of a channel benchmark.
inline int RunChannelBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("BM_ChannelCommand", "BM_DebugLogLine", "channel command / debug log line");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace benchsupport
