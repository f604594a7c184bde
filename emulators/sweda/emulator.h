// The emulated Sweda printer as one object: the device every emulator is
// (clock, tape, traffic, common faults, port) plus the fiscal memory and
// the Sweda's own faults. Every call reaches it through emu::WithDevice, under
// the library's one lock.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "emulators/common/device.h"
#include "emulators/common/state_memory.h"
#include "emulators/sweda/commands.h"
#include "emulators/sweda/printer_state.h"

namespace swdemu {

// A refusal answered, instead of executing, to the frames of one command:
// its code and the first characters of its arguments ("01" every item,
// "273" the identity reading).
struct CommandFault {
  std::string command;
  std::string answer;
  emu::FaultCount count;
};

// Faults of the Sweda beside the common ones (a refused transmission is a
// printer that does not answer; a busy one answers ".-P006").
struct SwedaFaults {
  emu::FaultCount refuse;  // commands refused with the code and text below
  std::string refuse_code;
  std::string refuse_text;
  // Only frames whose text after ESC "." starts so (the code, or the code
  // and its first parameters, "12SN"); "" any.
  std::string refuse_command;
  std::deque<std::string> states;  // scripted answers to "28"
  std::vector<CommandFault> at_command;
};

class Emulator : public emu::Device {
 public:
  static Emulator& Instance();

  // The maker's side.
  int OpenPort(int port);
  int ClosePort(int port);
  // The answer to one frame ("" when the printer does not answer).
  std::string Exchange(const std::string& frame);

  // The bench's side, beside emu::Device's.
  void SetStateFile(const std::string& path) override;
  // The fiscal day's date; nothing: no movement open.
  void SetFiscalDay(std::optional<int> day) override;
  PrinterState& state() { return state_; }
  void Changed() { Persist(); }
  SwedaFaults& sweda_faults() { return faults_; }
  // Answers `answer` to the next `count` frames of `command` (-1 held, 0
  // clears it).
  void FaultAt(const std::string& command, const std::string& answer, int count);
  Peripherals& peripherals() { return peripherals_; }
  int opened_port() const { return opened_port_; }
  int closed_port() const { return closed_port_; }

 private:
  Emulator();
  void FactoryReset() override;
  void PowerOn() override;
  std::string Run(const std::string& frame);
  // The answer of a fault set at this frame's command, or nothing.
  std::optional<std::string> CommandFaultAnswer(const std::string& frame);
  bool Persist();
  void FreshPrinter();

  PrinterState state_;
  emu::StateMemory<PrinterState> memory_;
  Peripherals peripherals_;
  SwedaFaults faults_;
  int model_ = 3;  // of a factory-fresh printer
  int port_ = 0;   // open port, 0 when closed
  int opened_port_ = -1;
  int closed_port_ = -1;
};

// Runs `work` on the printer under the library's one lock.

}  // namespace swdemu
