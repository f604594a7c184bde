#include "emulators/daruma/emulator.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <cstring>
#include <exception>

namespace daremu {

namespace {

constexpr char kEsc = '\x1B';
constexpr char kGs = '\x1D';
constexpr char kEnq = '\x05';
constexpr int kSendMode = 49;
constexpr int kErrorSend = 1;
const char* const kPortSettings = ":9600,N,8,1";
// Warnings: the command is carried out and the answer says so.
constexpr std::array kWarnings = {21, 40, 43, 61};

struct ByteOp {
  unsigned char byte;
  Op op;
};

// The command bytes of each model, after the ESC.
constexpr std::array kType7 = {
    ByteOp{0xC8, Op::OpenCoupon},    ByteOp{0xD7, Op::SellItem},   ByteOp{0xCD, Op::CancelItem},
    ByteOp{0xCE, Op::CancelCoupon},  ByteOp{0xF1, Op::Totalize},   ByteOp{0xF2, Op::Pay},
    ByteOp{0xF3, Op::CloseCoupon},   ByteOp{0xD3, Op::OpenReport}, ByteOp{0xD5, Op::PrintText},
    ByteOp{0xD4, Op::CloseReport},   ByteOp{0xD9, Op::NonFiscal},  ByteOp{0xE2, Op::NameTotalizer},
    ByteOp{0xDA, Op::ProgramMethod}, ByteOp{0xCF, Op::ReadingX},   ByteOp{0xD0, Op::ReductionZ},
    ByteOp{0xD1, Op::FiscalMemory},  ByteOp{0xF0, Op::Totals},     ByteOp{0xE7, Op::Rates},
    ByteOp{0xEC, Op::Identity},      ByteOp{0xFA, Op::FiscalDate}, ByteOp{0xE6, Op::Clock},
    ByteOp{0xEE, Op::Tables},
};
constexpr std::array kType8 = {
    ByteOp{0xC8, Op::OpenCoupon},
    ByteOp{0xD7, Op::SellItem},
    ByteOp{0xCD, Op::CancelItem},
    ByteOp{0xCE, Op::CancelCoupon},
    ByteOp{0xF1, Op::Totalize},
    ByteOp{0xDB, Op::Pay},
    ByteOp{0xC9, Op::CloseCouponAtOnce},
    ByteOp{0xD3, Op::OpenReport},
    ByteOp{0xD4, Op::CloseReport},
    ByteOp{0xD9, Op::NonFiscal},
    ByteOp{0xE2, Op::NameTotalizer},
    ByteOp{0xDA, Op::ProgramMethod},
    ByteOp{0xCF, Op::ReadingX},
    ByteOp{0xD0, Op::ReductionZ},
    ByteOp{0xD1, Op::FiscalMemory},
    ByteOp{0xF0, Op::Totals},
    ByteOp{0xE7, Op::Rates},
    ByteOp{0xEC, Op::Identity},
    ByteOp{0xEF, Op::FiscalDate},
    ByteOp{0xE6, Op::Clock},
    ByteOp{0xEE, Op::Tables},
};

template <typename Table>
bool Find(const Table& table, unsigned char byte, Op& op) {
  for (const ByteOp& entry : table)
    if (entry.byte == byte) {
      op = entry.op;
      return true;
    }
  return false;
}

std::string ErrorAnswer(int code) { return "E" + Digits(code, 2); }

}  // namespace

Emulator& Emulator::Instance() {
  static Emulator emulator;
  return emulator;
}

Emulator::Emulator() : Device("fs345_32.dll", "FS345", "fs345_tape.txt"), memory_(ParseState, SerializeState) {
  const std::optional<std::string> model = Setting("MODEL");
  FreshPrinter(model && *model == "8" ? 8 : 7);
  if (auto path = Setting("STATE")) SetStateFile(*path);
  // A refusal set from the environment: FS345_FAULT=F3:31 answers error 31
  // to the next closing (command byte F3 after ESC).
  if (auto fault = FaultSetting()) {
    const auto code = emu::FaultNumber(fault->status[0], 1, 99);
    char* end = nullptr;
    const long byte = std::strtol(fault->command.c_str(), &end, 16);
    if (code && fault->status.size() == 1 && fault->command.size() == 2 && end && *end == '\0') {
      faults_.error_code = *code;
      faults_.error_command = static_cast<int>(byte);
      faults_.error.Set(fault->count);
    } else {
      IgnoreFault("o comando \xC3\xA9 o byte em hexadecimal (F3) e o estado um erro de 1 a 99");
    }
  }
  emu::Serve(*this);
}

void Emulator::FreshPrinter(int model) {
  state_ = FactoryState(model);
  state_.fiscal_day = clock().Today();
  memory_.ClearFault();
}

// "COMn" and the line settings the printer works at; the port is held
// against other processes until it is closed.
int Emulator::OpenPort(const char* port) {
  port_string_ = port ? port : "";
  const std::size_t colon = port_string_.find(':');
  if (port_string_.rfind("COM", 0) != 0 || colon == std::string::npos || colon <= 3 ||
      port_string_.substr(colon) != kPortSettings)
    return 0;
  return Device::OpenPort(port_string_.substr(0, colon).c_str()) ? 1 : 0;
}

int Emulator::ClosePort() {
  if (!port_open()) return 0;
  Device::ClosePort();
  return 1;
}

int Emulator::Send(const char* bytes, int count, int mode) {
  if (!bytes || count < 0) return -1;
  RecordFrame(std::string_view(bytes, static_cast<std::size_t>(count)));
  last_error_ = 0;
  if (!port_open() || mode != kSendMode || faults().refuse.Take()) {
    last_error_ = kErrorSend;
    return -1;
  }
  arriving_ = 0;
  int forced = 0;
  const std::string_view frame = traffic().last();
  const bool aimed = faults_.error_command < 0 || (frame.size() >= 2 && frame[0] == kEsc &&
                                                   static_cast<unsigned char>(frame[1]) == faults_.error_command);
  if (faults_.error.armed() && aimed) {
    if (faults_.error_after > 0) {
      --faults_.error_after;
    } else if (faults_.error.Take()) {
      forced = faults_.error_code;
    }
  }
  const bool warning = std::find(kWarnings.begin(), kWarnings.end(), forced) != kWarnings.end();
  if (forced != 0 && !warning) {
    answer_ = ":" + ErrorAnswer(forced);
    return count;
  }
  try {
    Run(traffic().last());
  } catch (const std::exception&) {
    // Never let a fault inside the printer cross into the caller.
    answer_ = ":" + ErrorAnswer(kMemory);
  }
  if (warning) answer_ = ":" + ErrorAnswer(forced) + answer_.substr(std::min<std::size_t>(answer_.size(), 2));
  if (faults_.silent.armed()) {
    if (faults_.silent_after > 0) {
      --faults_.silent_after;
    } else if (faults_.silent.Take()) {
      answer_.clear();
    }
  }
  return count;
}

bool Emulator::Decode(std::string_view frame, Op& op, std::string& params) const {
  if (frame.empty()) return false;
  const bool type8 = state_.model == 8;
  if (frame[0] == kGs) {
    if (frame.size() < 2) return false;
    const unsigned char status = type8 ? 0x05 : 0xFF;
    op = Op::Status;
    params = frame.substr(2);
    return static_cast<unsigned char>(frame[1]) == status;
  }
  if (frame[0] == kEnq) {
    op = Op::DocumentState;
    params = frame.substr(1);
    return true;
  }
  if (frame[0] == kEsc) {
    if (frame.size() < 2) return false;
    params = frame.substr(2);
    const unsigned char byte = static_cast<unsigned char>(frame[1]);
    return type8 ? Find(kType8, byte, op) : Find(kType7, byte, op);
  }
  // Type 8 takes a frame without a command byte as text for the open report.
  op = Op::PrintText;
  params = frame;
  return type8;
}

void Emulator::Run(std::string_view frame) {
  Op op;
  std::string params;
  if (!Decode(frame, op, params)) {
    answer_ = ":" + ErrorAnswer(kUnknownCommand);
    return;
  }
  if (memory_.fault() && op != Op::Status) {
    answer_ = ":" + ErrorAnswer(kMemory);
    return;
  }
  peripherals_.paper = paper();
  Command command(state_, tape(), peripherals_, clock().Now());
  command.params = std::move(params);
  // A refused command changes nothing: one that may change the memory runs
  // with a copy kept to go back to.
  // (On the heap: an empty optional of the whole memory still costs its
  // size in zeroes on every command.)
  std::unique_ptr<PrinterState> before;
  if (!AsksOnly(op)) before = std::make_unique<PrinterState>(state_);
  Execute(op, command);
  if (command.error != 0) {
    if (before) state_ = std::move(*before);
    answer_ = ":" + ErrorAnswer(command.error);
    return;
  }
  answer_.assign(command.raw ? "" : ":");
  answer_ += command.answer;
  if (command.print_failed) answer_ = ":" + ErrorAnswer(kTape);
  if (command.changed && !Persist()) answer_ = ":" + ErrorAnswer(kMemory);
}

int Emulator::ReadAnswer(char* buffer, int size) {
  ++answer_reads_;
  if (!buffer || size <= 0) return -1;
  std::string text = answer_;
  // Still arriving: each read sees a little more of it.
  if (faults().busy.Take()) {
    ++arriving_;
    text = answer_.substr(0, static_cast<std::size_t>(arriving_) % (answer_.size() + 1));
  }
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

bool Emulator::Persist() { return memory_.Save(state_); }

void Emulator::FactoryReset() {
  FreshPrinter(state_.model);
  faults_ = PrinterFaults{};
  peripherals_ = Peripherals{};
  answer_.clear();
  arriving_ = 0;
  Persist();
}

void Emulator::PowerOn() {
  answer_.clear();
  peripherals_.drawer_open = false;
  memory_.Load(state_, [] {});
}

void Emulator::SetModel(int model) {
  state_.model = model == 8 ? 8 : 7;
  Persist();
}

void Emulator::SetStateFile(const std::string& path) {
  memory_.SetPath(path);
  memory_.Load(state_, [this] { FreshPrinter(state_.model); });
}

void Emulator::SetFiscalDay(std::optional<int> day) {
  state_.fiscal_day = day;
  Persist();
}

}  // namespace daremu
