// The emulated printer as one object: the device every emulator is (clock,
// tape, traffic, common faults, port) plus the fiscal memory, the outcome
// of the last command, and the MP-20 FI's own faults. Every call reaches it
// through emu::WithDevice, under the library's one lock.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/bematech/commands.h"
#include "emulators/bematech/printer_state.h"
#include "emulators/common/device.h"
#include "emulators/common/state_memory.h"

namespace mp20emu {

// A refusal aimed at one command code: either nothing is done, or the
// command is carried out and its outcome still shows the refusal (the
// printer registered it and its answer came back wrong).
struct CommandFault {
  std::string code;  // "72", "80|52", ...
  int st1 = 0, st2 = 0;
  bool after_executing = false;
  emu::FaultCount count;  // counts only commands of that code
};

// An answer aimed at one command code, cut to its first `length` bytes
// (a data answer the library read short).
struct AnswerCut {
  std::string code;
  std::size_t length = 0;
  emu::FaultCount count;  // counts only commands of that code
};

// Faults of the MP-20 FI beside the common ones.
struct PrinterFaults {
  int forced_st1 = 0, forced_st2 = 0;
  emu::FaultCount forced;         // status bits added to the next commands
  emu::FaultCount nak;            // the command is not acknowledged
  emu::FaultCount return_code_1;  // the library reports a failed exchange
  std::vector<CommandFault> by_code;
  std::vector<AnswerCut> cut_answers;

  // Sets (count 0: clears) the fault of one code.
  void SetCommandFault(CommandFault fault);
  // The fault of this code when it strikes now.
  const CommandFault* TakeCommandFault(std::string_view code);
  void SetAnswerCut(AnswerCut cut);
  // Where the answer of this code is cut when the fault strikes now.
  std::optional<std::size_t> TakeAnswerCut(std::string_view code);
};

struct Outcome {
  int ret = 0;
  int ack = 6;
  int st1 = 0;
  int st2 = 0;
};

class Emulator : public emu::Device {
 public:
  static Emulator& Instance();

  // The maker's side.
  int OpenPort(const char* port);
  int ClosePort();
  int Transmit(const char* frame);
  void Status(int* ret, int* ack, int* st1, int* st2);
  void ReadAnswer(char* buffer);

  // The bench's side, beside emu::Device's.
  void SetStateFile(const std::string& path) override;
  void SetFiscalDay(std::optional<int> day) override;
  void SetReportFile(const std::string& path) { peripherals_.report_path = path; }
  void SetReportText(std::optional<std::string> text) { peripherals_.report_text = std::move(text); }
  FiscalState& state() { return state_; }
  // Saves after a change made from the bench.
  void Changed() { Persist(); }
  PrinterFaults& printer_faults() { return faults_; }
  Peripherals& peripherals() { return peripherals_; }
  int status_polls() const { return status_polls_; }

 private:
  Emulator();
  void FactoryReset() override;
  void PowerOn() override;
  void FramesCleared() override { status_polls_ = 0; }
  void Run(std::string_view frame);
  bool Persist();
  int StandingSt1() const;
  int StandingSt2() const;
  void FreshPrinter();

  FiscalState state_;
  Peripherals peripherals_;
  PrinterFaults faults_;
  emu::StateMemory<FiscalState> memory_;
  bool polling_busy_ = false;
  Outcome last_;
  std::string answer_;
  int status_polls_ = 0;
};

// Runs `work` on the printer under the library's one lock.

}  // namespace mp20emu
