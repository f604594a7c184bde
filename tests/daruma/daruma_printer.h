// Test support: the emulated Daruma printer's control interface, bound from
// the same "fs345_32.dll" the driver loads (dlopen of the same file answers
// the same instance).
#pragma once
#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/emulated_printer.h"

namespace daruma_test {

class DarumaPrinter {
 public:
  DarumaPrinter() {
    const std::string file = testsupport::ExecutableDirectory() + "/fs345_32.dll";
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("cannot load " + file + ": " + dlerror());
#define DAR_BIND(name) name = reinterpret_cast<decltype(name)>(Symbol("DarEmu_" #name))
    DAR_BIND(Reset);
    DAR_BIND(PowerCycle);
    DAR_BIND(SetModel);
    DAR_BIND(Model);
    DAR_BIND(SetStateFile);
    DAR_BIND(SetTapeFile);
    DAR_BIND(SetClock);
    DAR_BIND(SetFiscalDay);
    DAR_BIND(SetIdentity);
    DAR_BIND(SetRates);
    DAR_BIND(SetSignedTotalizers);
    DAR_BIND(SetNamedTotalizers);
    DAR_BIND(SetPaymentMethods);
    DAR_BIND(LeaveOpen);
    DAR_BIND(UnstableReads);
    DAR_BIND(FailSend);
    DAR_BIND(AnswerError);
    DAR_BIND(AnswerErrorAfter);
    DAR_BIND(SetPaper);
    DAR_BIND(SetPortAvailable);
    DAR_BIND(SetDrawerOpen);
    DAR_BIND(FrameCount);
    DAR_BIND(Frame);
    DAR_BIND(ClearFrames);
    DAR_BIND(AnswerReads);
    DAR_BIND(PortOpen);
    DAR_BIND(PortString);
    DAR_BIND(Tape);
    DAR_BIND(ClearTape);
    DAR_BIND(CouponNumber);
    DAR_BIND(OpenDocument);
    DAR_BIND(ReductionCount);
    DAR_BIND(GrandTotalCents);
    DAR_BIND(DayCents);
    DAR_BIND(Tables);
#undef DAR_BIND
  }
  ~DarumaPrinter() {
    if (handle_) dlclose(handle_);
  }
  DarumaPrinter(const DarumaPrinter&) = delete;
  DarumaPrinter& operator=(const DarumaPrinter&) = delete;

  std::vector<std::string> Frames() const {
    std::vector<std::string> frames;
    for (int i = 0; i < FrameCount(); ++i) {
      std::string f(static_cast<std::size_t>(Frame(i, nullptr, 0)), '\0');
      Frame(i, f.data(), static_cast<int>(f.size()));
      frames.push_back(f);
    }
    return frames;
  }
  std::string TapeText() const { return Text(Tape); }
  std::string Port() const { return Text(PortString); }
  std::string Table(int which) const {
    std::string buffer(static_cast<std::size_t>(Tables(which, nullptr, 0)) + 1, '\0');
    Tables(which, buffer.data(), static_cast<int>(buffer.size()));
    buffer.pop_back();
    return buffer;
  }

  // State and tape in the sandbox, a fresh printer of the model, its clock
  // at the library clock's moment and its fiscal day open today.
  void ResetInto(const testsupport::Sandbox& sandbox, int model) {
    SetStateFile(sandbox.dir.file("fs345.state").c_str());
    SetTapeFile(sandbox.dir.file("tape.txt").c_str());
    SetModel(model);
    Reset();
    int y, m, d, h, n, s, ms;
    const platform::TDateTime now = platform::clock::Now();
    platform::DecodeDate(now, y, m, d);
    platform::DecodeTime(now, h, n, s, ms);
    SetClock(y, m, d, h, n, s);
    SetFiscalDay(y, m, d);
  }

  void (*Reset)(void) = nullptr;
  void (*PowerCycle)(void) = nullptr;
  void (*SetModel)(int) = nullptr;
  int (*Model)(void) = nullptr;
  void (*SetStateFile)(const char*) = nullptr;
  void (*SetTapeFile)(const char*) = nullptr;
  void (*SetClock)(int, int, int, int, int, int) = nullptr;
  void (*SetFiscalDay)(int, int, int) = nullptr;
  void (*SetIdentity)(const char*, const char*) = nullptr;
  void (*SetRates)(const char*) = nullptr;
  void (*SetSignedTotalizers)(const char*) = nullptr;
  void (*SetNamedTotalizers)(const char*) = nullptr;
  void (*SetPaymentMethods)(const char*) = nullptr;
  void (*LeaveOpen)(int) = nullptr;
  void (*UnstableReads)(int) = nullptr;
  void (*FailSend)(int) = nullptr;
  void (*AnswerError)(int, int) = nullptr;
  void (*AnswerErrorAfter)(int, int, int) = nullptr;
  void (*SetPaper)(int) = nullptr;
  void (*SetPortAvailable)(int) = nullptr;
  void (*SetDrawerOpen)(int) = nullptr;
  int (*FrameCount)(void) = nullptr;
  int (*Frame)(int, char*, int) = nullptr;
  void (*ClearFrames)(void) = nullptr;
  int (*AnswerReads)(void) = nullptr;
  int (*PortOpen)(void) = nullptr;
  int (*PortString)(char*, int) = nullptr;
  int (*Tape)(char*, int) = nullptr;
  void (*ClearTape)(void) = nullptr;
  int (*CouponNumber)(void) = nullptr;
  int (*OpenDocument)(void) = nullptr;
  int (*ReductionCount)(void) = nullptr;
  long long (*GrandTotalCents)(void) = nullptr;
  long long (*DayCents)(int) = nullptr;
  int (*Tables)(int, char*, int) = nullptr;

 private:
  static std::string Text(int (*get)(char*, int)) {
    std::string buffer(static_cast<std::size_t>(get(nullptr, 0)) + 1, '\0');
    get(buffer.data(), static_cast<int>(buffer.size()));
    buffer.pop_back();
    return buffer;
  }
  void* Symbol(const char* name) {
    void* p = dlsym(handle_, name);
    if (!p) throw std::runtime_error(std::string("emulator lacks ") + name);
    return p;
  }
  void* handle_ = nullptr;
};

}  // namespace daruma_test
