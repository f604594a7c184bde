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

// The emulated printer of a channel benchmark, started once for the run.
template <class Bench>
Bench& OneBench() {
  static Bench bench;
  return bench;
}

// Registers the pair the ratio compares: BM_DebugLogLine, the log line of
// `frame` alone, and BM_ChannelCommand, `command()` sent through the
// driver's channel after `prepare(bench, state)`. Answers the latter, for
// its arguments.
template <class Bench, class Command, class Prepare>
benchmark::internal::Benchmark* RegisterChannelBenchmarks(const std::string& frame, Command command, Prepare prepare) {
  benchmark::RegisterBenchmark("BM_DebugLogLine", [frame](benchmark::State& state) {
    OneBench<Bench>();
    DebugLogLine(state, frame);
  });
  return benchmark::RegisterBenchmark("BM_ChannelCommand", [command, prepare](benchmark::State& state) {
    Bench& bench = OneBench<Bench>();
    prepare(bench, state);
    bench.printer.ClearFrames();
    for (auto _ : state) benchmark::DoNotOptimize(command());
    bench.printer.ClearFrames();
  });
}

template <class Bench, class Command>
benchmark::internal::Benchmark* RegisterChannelBenchmarks(const std::string& frame, Command command) {
  return RegisterChannelBenchmarks<Bench>(frame, command, [](Bench&, const benchmark::State&) {});
}

// main() of a channel benchmark.
inline int RunChannelBenchmarks(int argc, char** argv, const char* command = "BM_ChannelCommand") {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(command, "BM_DebugLogLine", "channel command / debug log line");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace benchsupport
