// The emulated Sweda printer as one object: fiscal memory, clock, tape,
// port, and the bench's faults and records. Callers hold `mutex` around
// every call.
#pragma once
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "emulators/bematech/emu_clock.h"
#include "emulators/bematech/tape.h"
#include "emulators/sweda/commands.h"
#include "emulators/sweda/printer_state.h"

namespace swdemu {

struct Faults {
  int busy = 0;
  int refuse = 0;
  std::string refuse_code;
  std::string refuse_text;
  std::deque<std::string> states;  // scripted answers to "28"
  bool silent = false;
};

class Emulator {
 public:
  static Emulator& Instance();
  std::mutex mutex;

  // The maker's side.
  int OpenPort(int port);
  int ClosePort(int port);
  // The answer to one frame ("" when the printer does not answer).
  std::string Exchange(const std::string& frame);

  // The bench's side.
  void Reset();
  void PowerCycle();
  void SetStateFile(const std::string& path);
  void SetTapeFile(const std::string& path) { tape_.SetPath(path); }
  mp20emu::EmuClock& clock() { return clock_; }
  PrinterState& state() { return state_; }
  void Changed() { Persist(); }
  Faults& faults() { return faults_; }
  Peripherals& peripherals() { return peripherals_; }
  void SetPortAvailable(bool available) { port_available_ = available; }
  const std::vector<std::string>& frames() const { return frames_; }
  void ClearFrames() { frames_.clear(); }
  mp20emu::Tape& tape() { return tape_; }
  int opened_port() const { return opened_port_; }
  int closed_port() const { return closed_port_; }

 private:
  Emulator();
  std::string Run(const std::string& frame);
  bool Persist();
  void FreshPrinter();

  PrinterState state_;
  mp20emu::EmuClock clock_;
  mp20emu::Tape tape_;
  Peripherals peripherals_;
  Faults faults_;
  std::string state_path_;
  int model_ = 3;  // of a factory-fresh printer
  bool memory_fault_ = false;
  bool port_available_ = true;
  int port_ = 0;  // open port, 0 when closed
  int opened_port_ = -1;
  int closed_port_ = -1;
  std::vector<std::string> frames_;
};

}  // namespace swdemu
