// What every emulated device is to the bench: a clock, a paper tape, the
// frames it received, the faults common to all (a refused transmission, a
// busy device, paper, a port that will not open) and its serial port, held
// against other processes. Each emulator derives its device from this one
// and adds its memory and commands; the C interface (emu_control.h) reaches
// it through Serve and Locked.
#pragma once
#include <mutex>
#include <optional>
#include <string>

#include "emulators/common/bench.h"
#include "emulators/common/clock.h"
#include "emulators/common/env_fault.h"
#include "emulators/common/locks.h"
#include "emulators/common/tape.h"

namespace emu {

struct CommonFaults {
  FaultCount refuse;  // the maker's send call fails
  FaultCount busy;    // the device answers that it is busy
};

class Device {
 public:
  // `library` names the device in messages ("Mp20fi32.dll"); settings are
  // read from the environment variables `prefix`_STATE, _TAPE and
  // _CLOCK_OFFSET ("MP20FI_STATE", ...); the tape prints to `default_tape`
  // until told otherwise.
  Device(std::string library, std::string prefix, std::string default_tape);
  virtual ~Device() = default;
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // The bench's side (emu_control.h).
  // Factory-fresh device: no faults, paper ok, port available, no frames,
  // a new roll, then the device's own factory state.
  void Reset();
  // Closes the port and ends a busy spell, then the device powers on again.
  void PowerCycle();
  virtual void SetStateFile(const std::string& path) = 0;
  // The open fiscal day, as a day number; nothing: no day open yet.
  virtual void SetFiscalDay(std::optional<int> day) = 0;
  void ClearFrames();
  void SetPortAvailable(bool available) { port_available_ = available; }
  void SetPaper(Paper paper) { paper_ = paper; }
  Clock& clock() { return clock_; }
  Tape& tape() { return tape_; }
  CommonFaults& faults() { return faults_; }
  const Traffic& traffic() const { return traffic_; }
  bool port_open() const { return port_open_; }

 protected:
  // The value of `prefix`_`name` in the environment, when set.
  std::optional<std::string> Setting(const char* name) const;
  // The command fault of `prefix`_FAULT (env_fault.h), when set and well
  // formed; a malformed one is told on standard error and ignored.
  std::optional<CommandFaultSetting> FaultSetting() const;
  // Tells on standard error that the fault's status is not one this printer
  // answers, and that the fault is ignored.
  void IgnoreFault(const std::string& why) const;
  // Opens the port: refused when the bench made it unavailable, the name is
  // empty, or another process holds it.
  bool OpenPort(const char* port);
  void ClosePort();
  Paper paper() const { return paper_; }
  // Keeps a frame handed to the maker's send call.
  void RecordFrame(std::string_view frame) { traffic_.Record(frame); }

  // The device's own share of a reset, a power-on and a clear of frames.
  virtual void FactoryReset() = 0;
  virtual void PowerOn() = 0;
  virtual void FramesCleared() {}

 private:
  std::string library_;
  std::string prefix_;
  Clock clock_;
  Tape tape_;
  Traffic traffic_;
  CommonFaults faults_;
  Paper paper_ = Paper::Ok;
  bool port_available_ = true;
  bool port_open_ = false;
  PortLock port_lock_;
};

// The library's one device, set by the emulator as it makes it (takes no
// lock, so it may run under one); the C interface answers nothing (or -1)
// before.
void Serve(Device& device);

// The one lock of an emulator library: every entry point, the maker's and
// the bench's, runs its work under it, so a test thread and the driver's
// thread never meet inside the device.
std::mutex& LibraryLock();
template <typename Work>
auto Locked(Work&& work) {
  std::lock_guard lock(LibraryLock());
  return work();
}

// Runs `work` on the library's one device of type T (T::Instance()) under
// the library's one lock: how every entry point reaches its device.
template <class T, typename Work>
auto WithDevice(Work&& work) {
  return Locked([&] { return work(T::Instance()); });
}

}  // namespace emu
