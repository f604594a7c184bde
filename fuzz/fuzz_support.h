// Shared set-up of the fuzz targets: a scratch directory of the process's
// own, dialogs answered by nobody, and a stop on a broken promise that
// libFuzzer reports as a crash with the input that caused it.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/base/clock_testing.h"
#include "platform/dialogs/dialogs.h"

namespace fuzzsupport {

// Removed when the run ends; a crash keeps it for a look.
inline const std::string& ScratchDir() {
  static const struct Scratch {
    Scratch() {
      path = std::filesystem::temp_directory_path().string() + "/qdm_fuzz_" + std::to_string(getpid());
      std::filesystem::create_directories(path);
    }
    ~Scratch() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
    std::string path;
  } dir;
  return dir.path;
}

// The library's clock frozen, its pauses free: a driver's pacing and a
// busy printer's waits move it on at once, no real time spent, as nothing
// else runs in the process that a pause should let through.
inline void FrozenClock() {
  platform::clock::SetManual(45000.5);
  platform::clock::SetManualYield(false);
}

inline void Unattended() {
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
  platform::SetDialogLogger([](const std::string&) {});
}

// A file laid down for the next input, plainly: no flush to the disk, which
// would cost most of a run's time.
inline void WriteScratchFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

[[noreturn]] inline void Broken(const char* promise) {
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

}  // namespace fuzzsupport
