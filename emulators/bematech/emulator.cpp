#include "emulators/bematech/emulator.h"

#include <cstring>
#include <exception>
#include <iterator>

#include "emulators/bematech/frame.h"
#include "emulators/bematech/state_file.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

constexpr std::size_t kAnswerBufferSize = 3000;
const char* const kStatusPoll = "\x1B|19|\x1B";

}  // namespace

void PrinterFaults::SetCommandFault(CommandFault fault) {
  std::erase_if(by_code, [&](const CommandFault& f) { return f.code == fault.code; });
  if (fault.count.armed()) by_code.push_back(std::move(fault));
}

const CommandFault* PrinterFaults::TakeCommandFault(std::string_view code) {
  for (CommandFault& f : by_code)
    if (f.code == code) return f.count.Take() ? &f : nullptr;
  return nullptr;
}

void PrinterFaults::SetAnswerCut(AnswerCut cut) {
  std::erase_if(cut_answers, [&](const AnswerCut& c) { return c.code == cut.code; });
  if (cut.count.armed()) cut_answers.push_back(std::move(cut));
}

std::optional<std::size_t> PrinterFaults::TakeAnswerCut(std::string_view code) {
  for (AnswerCut& c : cut_answers)
    if (c.code == code) return c.count.Take() ? std::optional<std::size_t>(c.length) : std::nullopt;
  return std::nullopt;
}

Emulator& Emulator::Instance() {
  static Emulator emulator;
  return emulator;
}

Emulator::Emulator() : Device("Mp20fi32.dll", "MP20FI", "mp20fi_tape.txt"), memory_(ParseState, SerializeState) {
  FreshPrinter();
  if (auto path = Setting("STATE")) SetStateFile(*path);
  // A refusal set from the environment: MP20FI_FAULT=34:0,1 refuses the
  // next closing with ST2 bit 0.
  if (auto fault = FaultSetting()) {
    const auto st1 = emu::FaultNumber(fault->status[0], 0, 255);
    const auto st2 = emu::FaultNumber(fault->status.size() > 1 ? fault->status[1] : "0", 0, 255);
    if (st1 && st2 && fault->status.size() <= 2) {
      CommandFault refusal{fault->command, *st1, *st2, false, {}};
      refusal.count.Set(fault->count);
      faults_.SetCommandFault(std::move(refusal));
    } else {
      IgnoreFault("o estado \xC3\xA9 ST1,ST2, dois n\xC3\xBAmeros de 0 a 255");
    }
  }
  emu::Serve(*this);
}

void Emulator::FreshPrinter() {
  state_ = FactoryState();
  state_.fiscal_day = clock().Today();
  memory_.ClearFault();
}

int Emulator::OpenPort(const char* port) { return Device::OpenPort(port) ? 1 : 0; }

int Emulator::ClosePort() {
  if (!port_open()) return 1;
  Device::ClosePort();
  return 0;
}

int Emulator::Transmit(const char* frame) {
  if (!frame) return -1;
  RecordFrame(frame);
  if (!port_open()) return -1;
  bool refuse = faults().refuse.Take();
  bool nak = faults_.nak.Take();
  bool ret1 = faults_.return_code_1.Take();
  bool forced = faults_.forced.Take();
  if (refuse) return 1;

  // A status poll while the printer is busy asks how that command is going:
  // its outcome and answer stay.
  if (polling_busy_ && traffic().last() == kStatusPoll) {
    if (forced) {
      last_.st1 |= faults_.forced_st1;
      last_.st2 |= faults_.forced_st2;
    }
    return 0;
  }
  last_ = Outcome{};
  answer_.clear();
  if (nak) {
    last_.ack = kNak;
  } else if (ret1) {
    last_.ret = 1;
  } else if (forced && ((faults_.forced_st1 & kSt1Failures) || (faults_.forced_st2 & kSt2Failures))) {
    // A forced failure: the printer refused the command.
    last_.st1 = faults_.forced_st1;
    last_.st2 = faults_.forced_st2;
  } else {
    try {
      Run(traffic().last());
    } catch (const std::exception&) {
      // Never let a fault inside the printer cross into the caller.
      last_.st1 |= kSt1PrinterError;
    }
    if (forced) {
      last_.st1 |= faults_.forced_st1;
      last_.st2 |= faults_.forced_st2;
    }
  }
  return 0;
}

void Emulator::Run(std::string_view frame) {
  auto fields = SplitFrame(frame);
  if (!fields) {
    last_.st1 |= kSt1Syntax;
    return;
  }
  std::size_t code_fields = 1;
  const CommandEntry* entry = FindCommand(*fields, code_fields);
  if (!entry) {
    last_.st1 |= kSt1UnknownCommand;
    return;
  }
  if (memory_.fault() && entry->code != "19") {
    last_.st2 |= kSt2Memory;
    return;
  }
  const CommandFault* fault = faults_.TakeCommandFault(entry->code);
  if (fault && !fault->after_executing) {
    last_.st1 |= fault->st1;
    last_.st2 |= fault->st2;
    return;
  }
  DateTime now = clock().Now();
  Command command(state_, tape(), peripherals_, paper(), now);
  command.args.assign(std::make_move_iterator(fields->begin() + static_cast<std::ptrdiff_t>(code_fields)),
                      std::make_move_iterator(fields->end()));
  command.standing_st1 = StandingSt1();
  command.standing_st2 = StandingSt2();
  Execute(*entry, command);
  last_.st1 |= command.st1;
  last_.st2 |= command.st2;
  answer_ = std::move(command.answer);
  if (auto cut = faults_.TakeAnswerCut(entry->code); cut && *cut < answer_.size()) answer_.resize(*cut);
  if (command.print_failed) last_.st1 |= kSt1PrinterError;
  if (!command.Refused() && (entry->flags & kChangesState) && !Persist()) last_.st2 |= kSt2Memory;
  if (fault) {
    last_.st1 |= fault->st1;
    last_.st2 |= fault->st2;
  }
}

int Emulator::StandingSt1() const {
  int st1 = 0;
  if (paper() == emu::Paper::Out) st1 |= kSt1PaperOut;
  if (paper() == emu::Paper::Low) st1 |= kSt1PaperLow;
  if (state_.CouponOpen()) st1 |= kSt1CouponOpen;
  return st1;
}

int Emulator::StandingSt2() const { return memory_.fault() ? kSt2Memory : 0; }

void Emulator::Status(int* ret, int* ack, int* st1, int* st2) {
  ++status_polls_;
  Outcome out = last_;
  if (!port_open()) out = Outcome{1, 0, 0, 0};
  out.st1 |= port_open() ? StandingSt1() : 0;
  out.st2 |= port_open() ? StandingSt2() : 0;
  polling_busy_ = port_open() && faults().busy.Take();
  if (polling_busy_) out.st2 |= kSt2Busy;
  if (ret) *ret = out.ret;
  if (ack) *ack = out.ack;
  if (st1) *st1 = out.st1;
  if (st2) *st2 = out.st2;
}

void Emulator::ReadAnswer(char* buffer) {
  if (!buffer) return;
  std::memcpy(buffer, answer_.data(), std::min(answer_.size(), kAnswerBufferSize));
}

bool Emulator::Persist() { return memory_.Save(state_); }

void Emulator::FactoryReset() {
  FreshPrinter();
  faults_ = PrinterFaults{};
  peripherals_.drawer_open = false;
  peripherals_.report_text.reset();
  polling_busy_ = false;
  last_ = Outcome{};
  answer_.clear();
  Persist();
}

void Emulator::PowerOn() {
  polling_busy_ = false;
  peripherals_.drawer_open = false;
  last_ = Outcome{};
  answer_.clear();
  memory_.Load(state_, [] {});
}

void Emulator::SetStateFile(const std::string& path) {
  memory_.SetPath(path);
  memory_.Load(state_, [this] { FreshPrinter(); });
}

void Emulator::SetFiscalDay(std::optional<int> day) {
  state_.fiscal_day = day;
  Persist();
}

}  // namespace mp20emu
