// The channel benchmarks' report: the console table, then the cost of one
// command through a driver's channel as a multiple of the debug-log line
// the channel writes anyway (BM_ChannelCommand / BM_DebugLogLine), and the
// same ratio measured with the two in turn (BM_ChannelInTurn).
#pragma once
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include "facade/Qdm00000.h"
#include "ratio_reporter.h"

namespace benchsupport {

// This thread's processor time, in seconds.
inline double ThreadSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

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

// Registers what the ratio compares: BM_DebugLogLine, the log line of
// `frame` alone, and BM_ChannelCommand, `command()` sent through the
// driver's channel after `prepare(bench, state)`, once per argument in
// `arguments` (none: once, with none).
// A third, BM_ChannelInTurn, runs batches of the two in turn and counts the
// processor time of each: whatever else the machine does during the run
// falls on both alike, which two benchmarks run one after the other cannot
// promise. Its counter `command_over_line` is the ratio.
template <class Bench, class Command, class Prepare>
void RegisterChannelBenchmarks(const std::string& frame, Command command, Prepare prepare,
                               const std::vector<int64_t>& arguments = {}) {
  benchmark::RegisterBenchmark("BM_DebugLogLine", [frame](benchmark::State& state) {
    OneBench<Bench>();
    DebugLogLine(state, frame);
  });
  auto* in_turn = benchmark::RegisterBenchmark("BM_ChannelInTurn", [frame, command, prepare](benchmark::State& state) {
    Bench& bench = OneBench<Bench>();
    prepare(bench, state);
    bench.printer.ClearFrames();
    constexpr int kBatch = 16;
    double line_time = 0, command_time = 0;
    for (auto _ : state) {
      const double t0 = ThreadSeconds();
      for (int i = 0; i < kBatch; ++i) Qdm00000::ImpFisDebug("Comando : " + frame);  // as BM_DebugLogLine
      const double t1 = ThreadSeconds();
      for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(command());
      line_time += t1 - t0;
      command_time += ThreadSeconds() - t1;
    }
    bench.printer.ClearFrames();
    if (line_time > 0) state.counters["command_over_line"] = command_time / line_time;
  });
  auto* alone = benchmark::RegisterBenchmark("BM_ChannelCommand", [command, prepare](benchmark::State& state) {
    Bench& bench = OneBench<Bench>();
    prepare(bench, state);
    bench.printer.ClearFrames();
    for (auto _ : state) benchmark::DoNotOptimize(command());
    bench.printer.ClearFrames();
  });
  for (int64_t argument : arguments) {
    in_turn->Arg(argument);
    alone->Arg(argument);
  }
}

template <class Bench, class Command>
void RegisterChannelBenchmarks(const std::string& frame, Command command) {
  RegisterChannelBenchmarks<Bench>(frame, command, [](Bench&, const benchmark::State&) {});
}

// main() of a channel benchmark; `first` names the runs the ratios are
// taken of when the benchmarks have arguments ("/7").
inline int RunChannelBenchmarks(int argc, char** argv, const std::string& first = "") {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("BM_ChannelCommand" + first, "BM_DebugLogLine", "channel command / debug log line");
  reporter.AlsoCounter("BM_ChannelInTurn" + first, "command_over_line", "the two in turn");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace benchsupport
