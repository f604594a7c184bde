#include "emulators/sweda/emulator.h"

#include <cstdlib>
#include <exception>
#include <memory>

#include "emulators/sweda/answers.h"
#include "emulators/sweda/state_file.h"

namespace swdemu {

namespace {

constexpr int kLastPort = 13;  // "COM1" to "COM12", "LPT1"
constexpr int kPortFailed = 0x80;
const char* const kStateCode = "28";

// The code of a frame: "_25" or two characters after ESC ".".
std::string_view CodeOf(std::string_view frame) {
  if (frame.size() < 3) return {};
  return frame.substr(2, frame[2] == '_' ? 3 : 2);
}

std::string PortName(int port) { return port == kLastPort ? "LPT1" : "COM" + std::to_string(port); }

}  // namespace

Emulator& Emulator::Instance() {
  static Emulator emulator;
  return emulator;
}

Emulator::Emulator() : Device("SERSWEDA.dll", "SERSWEDA", "sersweda_tape.txt"), memory_(ParseState, SerializeState) {
  if (auto model = Setting("MODEL")) {
    const int tipo = std::atoi(model->c_str());
    if (tipo >= 3 && tipo <= 6) model_ = tipo;
  }
  FreshPrinter();
  if (auto path = Setting("STATE")) SetStateFile(*path);
  // A refusal set from the environment: SERSWEDA_FAULT=12SN:P013 refuses
  // the next closing ("12" and its first parameters) with "-P013".
  if (auto fault = FaultSetting()) {
    const std::string& code = fault->status[0];
    faults_.refuse_code = code.front() == '-' ? code : "-" + code;
    faults_.refuse_text = fault->status.size() > 1 ? fault->status[1] : "ERRO";
    faults_.refuse_command = fault->command;
    faults_.refuse.Set(fault->count);
  }
  emu::Serve(*this);
}

void Emulator::FreshPrinter() {
  state_ = FactoryState();
  state_.model = model_;
  state_.fiscal_day = clock().Today();
  memory_.ClearFault();
}

int Emulator::OpenPort(int port) {
  opened_port_ = port;
  if (port < 1 || port > kLastPort || !Device::OpenPort(PortName(port).c_str())) return kPortFailed;
  port_ = port;
  return 1;
}

int Emulator::ClosePort(int port) {
  closed_port_ = port;
  if (port_ == 0 || port != port_) return 1;
  Device::ClosePort();
  port_ = 0;
  return 0;
}

std::string Emulator::Exchange(const std::string& frame) {
  RecordFrame(frame);
  if (!port_open() || faults().refuse.Take()) return {};
  if (faults().busy.Take()) return RefusalAnswer(Refusal::Busy);
  if (auto answer = CommandFaultAnswer(frame)) return *answer;
  const std::string_view code = CodeOf(frame);
  if (code == kStateCode) {
    if (!faults_.states.empty()) {
      const std::string scripted = faults_.states.front();
      faults_.states.pop_front();
      if (scripted.rfind("-P", 0) == 0) return RefusalAnswer(scripted, "ERRO-ESTADO");
      return StateAnswer(state_, clock().Now(), scripted);
    }
  } else if (frame.size() >= 2 && frame.compare(2, faults_.refuse_command.size(), faults_.refuse_command) == 0 &&
             faults_.refuse.Take()) {
    return RefusalAnswer(faults_.refuse_code, faults_.refuse_text);
  }
  try {
    return Run(frame);
  } catch (const std::exception&) {
    // Never let a fault inside the printer cross into the caller.
    return RefusalAnswer(Refusal::MemoryFault);
  }
}

void Emulator::FaultAt(const std::string& command, const std::string& answer, int count) {
  auto& faults = faults_.at_command;
  std::erase_if(faults, [&](const CommandFault& f) { return f.command == command; });
  if (command.empty() || count == 0) return;
  faults.push_back(CommandFault{command, answer, {}});
  faults.back().count.Set(count);
}

std::optional<std::string> Emulator::CommandFaultAnswer(const std::string& frame) {
  if (faults_.at_command.empty() || frame.size() < 3 || frame.compare(0, 2, "\x1B.") != 0) return std::nullopt;
  const std::string body = frame.substr(2);
  for (CommandFault& fault : faults_.at_command)
    if (body.compare(0, fault.command.size(), fault.command) == 0 && fault.count.Take()) return fault.answer;
  return std::nullopt;
}

std::string Emulator::Run(const std::string& frame) {
  if (frame.size() < 5 || frame.compare(0, 2, "\x1B.") != 0 || frame.back() != '}')
    return RefusalAnswer(Refusal::BadParameter);
  const std::string_view code = CodeOf(frame);
  const CommandEntry* entry = FindCommand(code, state_.model);
  if (!entry) return RefusalAnswer(Refusal::UnknownCommand);
  if (memory_.fault() && code != kStateCode) return RefusalAnswer(Refusal::MemoryFault);
  peripherals_.paper = paper();
  Command command(state_, tape(), peripherals_, clock().Now());
  command.code.assign(code);
  command.args = frame.substr(2 + code.size(), frame.size() - 3 - code.size());
  // A refused command changes nothing: one that may change the memory
  // runs with a copy kept to go back to.
  // (On the heap: an empty optional of the whole memory still costs its
  // size in zeroes on every command.)
  std::unique_ptr<PrinterState> before;
  if (entry->flags != 0) before = std::make_unique<PrinterState>(state_);
  Execute(*entry, command);
  if (command.refusal) {
    if (before) state_ = std::move(*before);
    return RefusalAnswer(*command.refusal);
  }
  if (command.print_failed || ((entry->flags & kChangesState) && !Persist())) {
    return RefusalAnswer(Refusal::MemoryFault);
  }
  // Little paper is told where a document begins, not on every line.
  if (!command.answer.empty()) return std::move(command.answer);
  return AcceptedAnswer(peripherals_.paper == emu::Paper::Low && (entry->flags & kTellsPaper) != 0);
}

bool Emulator::Persist() { return memory_.Save(state_); }

void Emulator::FactoryReset() {
  model_ = state_.model;
  FreshPrinter();
  faults_ = SwedaFaults{};
  peripherals_ = Peripherals{};
  Persist();
}

void Emulator::PowerOn() {
  port_ = 0;
  faults_.states.clear();
  faults_.at_command.clear();
  peripherals_.drawer_open = false;
  memory_.Load(state_, [] {});
}

void Emulator::SetStateFile(const std::string& path) {
  memory_.SetPath(path);
  memory_.Load(state_, [this] { FreshPrinter(); });
}

void Emulator::SetFiscalDay(std::optional<int> day) {
  if (day) {
    state_.fiscal_day = *day;
  } else {
    state_.day_open = false;
  }
  Persist();
}

}  // namespace swdemu
