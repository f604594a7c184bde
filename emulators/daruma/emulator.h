// The emulated Daruma printer as one object: the device every emulator is
// (clock, tape, traffic, common faults, port) plus the fiscal memory, the
// answer of the last command and the Daruma's own faults. Every call
// reaches it through emu::WithDevice, under the library's one lock.
//
// The common faults mean here: a refused transmission, "DAR_Envia" answers
// -1 and the printer never sees the frame; a busy printer, its answer is
// still arriving for that many "DAR_Resposta" reads (each sees more of it).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "emulators/common/device.h"
#include "emulators/common/state_memory.h"
#include "emulators/daruma/commands.h"
#include "emulators/daruma/printer_state.h"

namespace daremu {

// Faults of the Daruma beside the common ones: an answer "E" and a code
// to the next commands, after a number answered normally; and a printer
// that carries a command out but answers nothing to it.
struct PrinterFaults {
  int error_code = 0;
  int error_after = 0;
  emu::FaultCount error;
  int silent_after = 0;
  emu::FaultCount silent;
  int error_command = -1;  // only commands of this byte (after ESC); -1 any
};

class Emulator : public emu::Device {
 public:
  static Emulator& Instance();

  // The maker's side.
  int OpenPort(const char* port);
  int ClosePort();
  int Send(const char* bytes, int count, int mode);
  int ReadAnswer(char* buffer, int size);
  int LastError() const { return last_error_; }

  // The bench's side, beside emu::Device's.
  void SetStateFile(const std::string& path) override;
  void SetFiscalDay(std::optional<int> day) override;
  void SetModel(int model);
  PrinterState& state() { return state_; }
  void Changed() { Persist(); }
  PrinterFaults& printer_faults() { return faults_; }
  Peripherals& peripherals() { return peripherals_; }
  const std::string& port_string() const { return port_string_; }
  int answer_reads() const { return answer_reads_; }

 private:
  Emulator();
  void FactoryReset() override;
  void PowerOn() override;
  void FramesCleared() override { answer_reads_ = 0; }
  void Run(std::string_view frame);
  bool Decode(std::string_view frame, Op& op, std::string& params) const;
  bool Persist();
  void FreshPrinter(int model);

  PrinterState state_;
  emu::StateMemory<PrinterState> memory_;
  Peripherals peripherals_;
  PrinterFaults faults_;
  std::string port_string_;
  int last_error_ = 0;
  std::string answer_;
  int arriving_ = 0;  // reads of an answer still arriving so far
  int answer_reads_ = 0;
};

// Runs `work` on the printer under the library's one lock.

}  // namespace daremu
