// Processor time the reader thread takes while the bar-code reader is idle:
// the thread must spend its time blocked in the read, leaving the processor
// to the front end. The main thread serves messages meanwhile, as a front
// end's would; the share counts the whole process.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>

#include "emulators/readers/reader_device.h"
#include "peripherals/readers/Qdm00800.h"
#include "platform/base/clock.h"
#include "platform/base/clock_testing.h"
#include "platform/os/application.h"
#include "platform/os/serial.h"

namespace {

void BM_ScannerThreadOnAnIdleReader(benchmark::State& state) {
  platform::clock::UseSystem();
  platform::Application().SetMainThread();
  emu::ReaderDevice reader(true);
  platform::MapPort("COM6", reader.slave_path());
  Qdm00800::IdPortaOpt = 6;
  Qdm00800::IdVelocOpt = 5;
  Qdm00800::IdTipoOpt = 2;
  const platform::HWND window = platform::RegisterWindow(
      [](platform::HWND, platform::UINT, platform::WPARAM, platform::LPARAM) -> platform::LRESULT { return 0; });
  const auto idle = std::chrono::milliseconds(state.range(0));

  double processor = 0, wall = 0;
  for (auto _ : state) {
    auto thread =
        std::make_unique<Qdm00800::TScannerThread>(platform::TThreadPriority::tpNormal, static_cast<uintptr_t>(window));
    const std::clock_t cpu_start = std::clock();  // all threads of the process
    const auto wall_start = std::chrono::steady_clock::now();
    thread->Resume();
    while (std::chrono::steady_clock::now() - wall_start < idle) platform::Application().HandleMessage(100);
    thread.reset();
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    processor += static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  }
  state.counters["cpu_percent"] = 100.0 * processor / wall;
  state.counters["wall_s"] = wall / static_cast<double>(state.iterations());

  platform::UnregisterWindow(window);
  platform::UnmapPort("COM6");
  Qdm00800::IdPortaOpt = 0;
}

BENCHMARK(BM_ScannerThreadOnAnIdleReader)->Arg(5000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
