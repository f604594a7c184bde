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

#include "platform/dialogs/dialogs.h"

namespace fuzzsupport {

inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    std::string path = std::filesystem::temp_directory_path().string() + "/qdm_fuzz_" +
                       std::to_string(getpid());
    std::filesystem::create_directories(path);
    return path;
  }();
  return dir;
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
