// The emulated Daruma printer as one object: fiscal memory, clock, tape,
// port, the answer of the last command, and the bench's faults and records.
// Callers hold `mutex` around every call.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "emulators/daruma/bench_support.h"
#include "emulators/daruma/commands.h"
#include "emulators/daruma/printer_state.h"

namespace daremu {

struct Faults {
  int unstable_reads = 0;
  int fail_send = 0;
  int error_code = 0;
  int error_count = 0;
  int error_after = 0;  // commands answered normally first
};

class Emulator {
 public:
  static Emulator& Instance();
  std::mutex mutex;

  // The maker's side.
  int OpenPort(const char* port);
  int ClosePort();
  int Send(const char* bytes, int count, int mode);
  int ReadAnswer(char* buffer, int size);
  int LastError() const { return last_error_; }

  // The bench's side.
  void Reset();
  void PowerCycle();
  void SetModel(int model);
  void SetStateFile(const std::string& path);
  void SetTapeFile(const std::string& path) { tape_.SetPath(path); }
  Clock& clock() { return clock_; }
  PrinterState& state() { return state_; }
  void Changed() { Persist(); }
  Faults& faults() { return faults_; }
  Peripherals& peripherals() { return peripherals_; }
  void SetPortAvailable(bool available) { port_available_ = available; }
  bool port_open() const { return port_open_; }
  const std::string& port_string() const { return port_string_; }
  const std::vector<std::string>& frames() const { return frames_; }
  void ClearFrames();
  int answer_reads() const { return answer_reads_; }
  Tape& tape() { return tape_; }

 private:
  Emulator();
  void Run(const std::string& frame);
  bool Decode(const std::string& frame, Op& op, std::string& params) const;
  bool Persist();
  void FreshPrinter(int model);

  PrinterState state_;
  Clock clock_;
  Tape tape_;
  Peripherals peripherals_;
  Faults faults_;
  std::string state_path_;
  bool memory_fault_ = false;
  bool port_available_ = true;
  bool port_open_ = false;
  std::string port_string_;
  int last_error_ = 0;
  std::string answer_;
  int unstable_served_ = 0;
  std::vector<std::string> frames_;
  int answer_reads_ = 0;
};

}  // namespace daremu
