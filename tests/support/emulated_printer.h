// Test support: the emulated Bematech printer's control interface, bound
// from the same "Mp20fi32.dll" the driver loads (dlopen of the same file
// answers the same instance), and a sandbox that gives each test a fresh
// host directory, a frozen library clock and scripted dialogs.
#pragma once
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/clock.h"
#include "platform/text/datetime.h"
#include "package/Pkg_Qdm_testing.h"  // the scripted presenter, the manual clock
#include "platform/os/files.h"

namespace testsupport {

inline std::string ExecutableDirectory() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  return std::filesystem::path(path).parent_path().string();
}

// The bench side of the emulated printer.
class EmulatedPrinter {
 public:
  EmulatedPrinter() {
    std::string file = ExecutableDirectory() + "/Mp20fi32.dll";
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load " + file + ": " + dlerror());
#define QDM_BIND(name) name = reinterpret_cast<decltype(name)>(Symbol("Mp20Emu_" #name))
    QDM_BIND(Reset);
    QDM_BIND(PowerCycle);
    QDM_BIND(SetStateFile);
    QDM_BIND(SetTapeFile);
    QDM_BIND(SetClock);
    QDM_BIND(UseHostClock);
    QDM_BIND(SetFiscalDay);
    QDM_BIND(SetIdentity);
    QDM_BIND(SetRates);
    QDM_BIND(SetTotalizers);
    QDM_BIND(SetPaymentMethods);
    QDM_BIND(ForceStatus);
    QDM_BIND(InjectNak);
    QDM_BIND(InjectReturnCode1);
    QDM_BIND(RefuseTransmission);
    QDM_BIND(HoldBusy);
    QDM_BIND(SetPaper);
    QDM_BIND(SetPortAvailable);
    QDM_BIND(FrameCount);
    QDM_BIND(Frame);
    QDM_BIND(ClearFrames);
    QDM_BIND(StatusPolls);
    QDM_BIND(Tape);
    QDM_BIND(ClearTape);
    QDM_BIND(CouponNumber);
    QDM_BIND(ReductionCount);
    QDM_BIND(CouponOpen);
    QDM_BIND(GrandTotal);
#undef QDM_BIND
  }
  ~EmulatedPrinter() {
    if (handle_) dlclose(handle_);
  }
  EmulatedPrinter(const EmulatedPrinter&) = delete;
  EmulatedPrinter& operator=(const EmulatedPrinter&) = delete;

  // Every frame received, in order.
  std::vector<std::string> Frames() const {
    std::vector<std::string> frames;
    int count = FrameCount();
    for (int i = 0; i < count; ++i) frames.push_back(FrameAt(i));
    return frames;
  }
  std::string FrameAt(int index) const {
    int size = Frame(index, nullptr, 0);
    if (size < 0) return {};
    std::string buffer(static_cast<std::size_t>(size) + 1, '\0');
    Frame(index, buffer.data(), size + 1);
    buffer.resize(static_cast<std::size_t>(size));
    return buffer;
  }
  // The frames whose command code is `code` ("09", "35", ...).
  std::vector<std::string> FramesOf(const std::string& code) const {
    std::vector<std::string> found;
    const std::string head = std::string("\x1B|") + code + "|";
    for (const auto& f : Frames())
      if (f.rfind(head, 0) == 0) found.push_back(f);
    return found;
  }
  std::string TapeText() const {
    int size = Tape(nullptr, 0);
    if (size <= 0) return {};
    std::string buffer(static_cast<std::size_t>(size) + 1, '\0');
    Tape(buffer.data(), size + 1);
    buffer.resize(static_cast<std::size_t>(size));
    return buffer;
  }

  // The frame the driver builds: ESC "|" code ("|" arg)* "|" ESC.
  static std::string FrameFor(const std::string& code, const std::vector<std::string>& args = {}) {
    std::string f = "\x1B|" + code;
    for (const auto& a : args) f += "|" + a;
    return f + "|\x1B";
  }

  void (*Reset)(void) = nullptr;
  void (*PowerCycle)(void) = nullptr;
  void (*SetStateFile)(const char*) = nullptr;
  void (*SetTapeFile)(const char*) = nullptr;
  void (*SetClock)(int, int, int, int, int, int) = nullptr;
  void (*UseHostClock)(long long) = nullptr;
  void (*SetFiscalDay)(int, int, int) = nullptr;
  void (*SetIdentity)(const char*, const char*) = nullptr;
  void (*SetRates)(const char*) = nullptr;
  void (*SetTotalizers)(const char*) = nullptr;
  void (*SetPaymentMethods)(const char*) = nullptr;
  void (*ForceStatus)(int, int, int) = nullptr;
  void (*InjectNak)(int) = nullptr;
  void (*InjectReturnCode1)(int) = nullptr;
  void (*RefuseTransmission)(int) = nullptr;
  void (*HoldBusy)(int) = nullptr;
  void (*SetPaper)(int) = nullptr;
  void (*SetPortAvailable)(int) = nullptr;
  int (*FrameCount)(void) = nullptr;
  int (*Frame)(int, char*, int) = nullptr;
  void (*ClearFrames)(void) = nullptr;
  int (*StatusPolls)(void) = nullptr;
  int (*Tape)(char*, int) = nullptr;
  void (*ClearTape)(void) = nullptr;
  int (*CouponNumber)(void) = nullptr;
  int (*ReductionCount)(void) = nullptr;
  int (*CouponOpen)(void) = nullptr;
  double (*GrandTotal)(void) = nullptr;

 private:
  void* Symbol(const char* name) {
    void* p = dlsym(handle_, name);
    if (!p) throw std::runtime_error(std::string("emulator lacks ") + name);
    return p;
  }
  void* handle_ = nullptr;
};

// A fresh temporary directory, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qdm-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// What most tests want: the host executable "lives" in a fresh directory
// (so impdebug.txt and ecf*.cds land there), the library clock is frozen at
// a known moment, every dialog is scripted, drive c: maps into the sandbox,
// and the emulated printer keeps its state and tape there too.
class Sandbox {
 public:
  explicit Sandbox(platform::TDateTime now = platform::EncodeDate(2026, 12, 10) +
                                             platform::EncodeTime(14, 0, 0, 0))
      : dialogs(std::make_shared<platform::ScriptedPresenter>()) {
    platform::SetHostExecutable(dir.file("pdv"));
    platform::clock::SetManual(now);
    platform::SetDialogPresenter(dialogs);
    platform::MapDrive('c', dir.file("drive_c"));
  }
  ~Sandbox() {
    platform::SetDialogPresenter(nullptr);
    platform::clock::UseSystem();
    platform::SetHostExecutable("");
    platform::UnmapDrive('c');
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // Text of the debug log written so far ("" when none).
  std::string DebugLog() const {
    std::string path = dir.file("impdebug.txt");
    return platform::FileExists(path) ? platform::ReadFileBytes(path) : std::string();
  }
  // Points the emulator's memory and tape into the sandbox and resets it,
  // with its clock set to the library clock's moment.
  void ResetPrinter(EmulatedPrinter& printer) const {
    printer.SetStateFile(dir.file("mp20fi.state").c_str());
    printer.SetTapeFile(dir.file("tape.txt").c_str());
    printer.Reset();
    int y, m, d, h, n, s, ms;
    platform::TDateTime now = platform::clock::Now();
    platform::DecodeDate(now, y, m, d);
    platform::DecodeTime(now, h, n, s, ms);
    printer.SetClock(y, m, d, h, n, s);
    printer.SetFiscalDay(y, m, d);
  }

  TempDir dir;
  std::shared_ptr<platform::ScriptedPresenter> dialogs;
};

}  // namespace testsupport
