// The emulated printer as one object: fiscal memory, clock, tape, port,
// the outcome of the last command, and the bench's faults and records.
// Callers hold `mutex` around every call.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "emulators/bematech/commands.h"
#include "emulators/bematech/emu_clock.h"
#include "emulators/bematech/printer_state.h"
#include "emulators/bematech/tape.h"

namespace mp20emu {

struct Faults {
  int forced_st1 = 0, forced_st2 = 0, forced_count = 0;
  int nak = 0;
  int return_code_1 = 0;
  int refuse = 0;
  int busy_polls = 0;
};

struct Outcome {
  int ret = 0;
  int ack = 6;
  int st1 = 0;
  int st2 = 0;
};

class Emulator {
 public:
  static Emulator& Instance();
  std::mutex mutex;

  // The maker's side.
  int OpenPort(const char* port);
  int ClosePort();
  int Transmit(const char* frame);
  void Status(int* ret, int* ack, int* st1, int* st2);
  void ReadAnswer(char* buffer);

  // The bench's side.
  void Reset();
  void PowerCycle();
  void SetStateFile(const std::string& path);
  void SetTapeFile(const std::string& path) { tape_.SetPath(path); }
  void SetReportFile(const std::string& path) { peripherals_.report_path = path; }
  EmuClock& clock() { return clock_; }
  FiscalState& state() { return state_; }
  // Saves after a change made from the bench.
  void Changed() { Persist(); }
  Faults& faults() { return faults_; }
  Peripherals& peripherals() { return peripherals_; }
  void SetPortAvailable(bool available) { port_available_ = available; }
  const std::vector<std::string>& frames() const { return frames_; }
  void ClearFrames();
  int status_polls() const { return status_polls_; }
  Tape& tape() { return tape_; }

 private:
  Emulator();
  void Run(const std::string& frame);
  bool Persist();
  int StandingSt1() const;
  int StandingSt2() const;
  void FreshPrinter();

  FiscalState state_;
  EmuClock clock_;
  Tape tape_;
  Peripherals peripherals_;
  Faults faults_;
  std::string state_path_;
  bool memory_fault_ = false;
  bool port_available_ = true;
  bool port_open_ = false;
  bool polling_busy_ = false;
  Outcome last_;
  std::string answer_;
  std::vector<std::string> frames_;
  int status_polls_ = 0;
};

}  // namespace mp20emu
