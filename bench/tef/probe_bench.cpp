// Processor time a register spends while the probe waits out an absent TEF
// manager: the seven seconds must leave the processor to the front end.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "package/Pkg_Qdm_testing.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/files.h"
#include "tef/Qdm00500.h"
#include "tests/support/temp_dir.h"

namespace {

double ProcessSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_ProbeOfAnAbsentManager(benchmark::State& state) {
  const testsupport::TempDir home("qdm-tef-bench");
  const std::string& drive = home.path();
  std::filesystem::create_directories(drive + "/tef_dial/req");
  std::filesystem::create_directories(drive + "/tef_dial/resp");
  platform::MapDrive('c', drive);
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
  platform::SetDialogLogger([](const std::string&) {});
  platform::clock::UseSystem();
  Qdm00500::DirTef = "c:\\tef_dial\\";

  double processor = 0, wall = 0;
  for (auto _ : state) {
    const double cpu_start = ProcessSeconds();
    const auto wall_start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Qdm00500::CheckGPAtivo());
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    processor += ProcessSeconds() - cpu_start;
  }
  state.counters["cpu_fraction"] = processor / wall;
  state.counters["wall_s"] = wall / static_cast<double>(state.iterations());

  platform::SetDialogPresenter(nullptr);
  platform::UnmapDrive('c');
}

BENCHMARK(BM_ProbeOfAnAbsentManager)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
