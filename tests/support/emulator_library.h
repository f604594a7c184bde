// Test support: any emulated device library ("Mp20fi32.dll", ...) loaded
// from the test executable's directory as the drivers load it (dlopen of
// the same file answers the same instance), with the neutral control
// interface every emulator exports (emulators/common/emu_control.h) bound,
// and a typed way to bind the maker's entry points and extras:
//
//   testsupport::EmulatorLibrary lib("Mp20fi32.dll");
//   lib.Reset();
//   auto open = lib.Bind<int(const char*)>("IniPortaStr");
//   int (*coupon)(void) = nullptr;
//   lib.Bind("Mp20Emu_CouponNumber", coupon);
//
// A missing name throws std::runtime_error naming it.
#pragma once
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace testsupport {

inline std::string ExecutableDirectory() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  return std::filesystem::path(path).parent_path().string();
}

// Gives this process a port lock directory of its own (once), so tests
// running side by side in other processes never hold each other's "COM1".
// A test that wants two processes on one port forks: the child inherits it.
inline void PrivatePortLocks() {
  static const TempDir directory("qdm-ports");
  static const bool chosen = setenv("PKG_QDM_EMU_LOCK_DIR", directory.path().c_str(), 1) == 0;
  (void)chosen;
}

class EmulatorLibrary {
 public:
  explicit EmulatorLibrary(const std::string& file_name) {
    PrivatePortLocks();
    const std::string file = ExecutableDirectory() + "/" + file_name;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load " + file + ": " + dlerror());
    Bind("Emu_Reset", Reset);
    Bind("Emu_PowerCycle", PowerCycle);
    Bind("Emu_SetStateFile", SetStateFile);
    Bind("Emu_SetTapeFile", SetTapeFile);
    Bind("Emu_SetClock", SetClock);
    Bind("Emu_UseHostClock", UseHostClock);
    Bind("Emu_SetFiscalDay", SetFiscalDay);
    Bind("Emu_RefuseTransmission", RefuseTransmission);
    Bind("Emu_HoldBusy", HoldBusy);
    Bind("Emu_SetPaper", SetPaper);
    Bind("Emu_SetPortAvailable", SetPortAvailable);
    Bind("Emu_PortOpen", PortOpen);
    Bind("Emu_FrameCount", FrameCount);
    Bind("Emu_Frame", Frame);
    Bind("Emu_ClearFrames", ClearFrames);
    Bind("Emu_Tape", Tape);
    Bind("Emu_ClearTape", ClearTape);
  }
  ~EmulatorLibrary() {
    if (handle_) dlclose(handle_);
  }
  EmulatorLibrary(const EmulatorLibrary&) = delete;
  EmulatorLibrary& operator=(const EmulatorLibrary&) = delete;

  // The entry point `name` as a function of type Fn ("int(const char*)").
  template <typename Fn>
  Fn* Bind(const char* name) const {
    return reinterpret_cast<Fn*>(Symbol(name));
  }
  // Binds `name` into `entry`, its type taken from the pointer.
  template <typename Fn>
  void Bind(const char* name, Fn*& entry) const {
    entry = Bind<Fn>(name);
  }

  // Every frame received, in order, byte for byte.
  std::vector<std::string> Frames() const {
    std::vector<std::string> frames;
    const int count = FrameCount();
    for (int i = 0; i < count; ++i) frames.push_back(FrameAt(i));
    return frames;
  }
  std::string FrameAt(int index) const {
    return ReadOut([&](char* buf, int size) { return Frame(index, buf, size); });
  }
  // What was printed since the last reset or clear.
  std::string TapeText() const { return ReadOut(Tape); }

  // Text of an emulator call that copies into a buffer and answers the full
  // length (asked first with no buffer).
  template <typename Copy>
  static std::string ReadOut(Copy copy) {
    const int size = copy(nullptr, 0);
    if (size <= 0) return {};
    std::string buffer(static_cast<std::size_t>(size) + 1, '\0');
    copy(buffer.data(), size + 1);
    buffer.resize(static_cast<std::size_t>(size));
    return buffer;
  }

  // The neutral interface (emu_control.h).
  void (*Reset)(void) = nullptr;
  void (*PowerCycle)(void) = nullptr;
  void (*SetStateFile)(const char*) = nullptr;
  void (*SetTapeFile)(const char*) = nullptr;
  void (*SetClock)(int, int, int, int, int, int) = nullptr;
  void (*UseHostClock)(long long) = nullptr;
  void (*SetFiscalDay)(int, int, int) = nullptr;
  void (*RefuseTransmission)(int) = nullptr;
  void (*HoldBusy)(int) = nullptr;
  void (*SetPaper)(int) = nullptr;
  void (*SetPortAvailable)(int) = nullptr;
  int (*PortOpen)(void) = nullptr;
  int (*FrameCount)(void) = nullptr;
  int (*Frame)(int, char*, int) = nullptr;
  void (*ClearFrames)(void) = nullptr;
  int (*Tape)(char*, int) = nullptr;
  void (*ClearTape)(void) = nullptr;

 private:
  void* Symbol(const char* name) const {
    void* entry = dlsym(handle_, name);
    if (!entry) throw std::runtime_error(std::string("emulator lacks ") + name);
    return entry;
  }
  void* handle_ = nullptr;
};

}  // namespace testsupport
