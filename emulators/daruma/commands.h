// One handler per command family. A handler checks its parameters and the
// order of operations, refuses with an error code, or changes the printer's
// state, prints and leaves its answer. A refusal changes nothing.
#pragma once
#include <string>

#include "emulators/common/command.h"
#include "emulators/common/bench.h"
#include "emulators/common/clock.h"
#include "emulators/common/fields.h"
#include "emulators/common/tape.h"
#include "emulators/daruma/printer_state.h"

namespace daremu {

using emu::DateTime;
using emu::Digits;
using emu::Money;

// What sits beside the fiscal memory.
struct Peripherals {
  bool drawer_open = false;
  emu::Paper paper = emu::Paper::Ok;
};

// The printer's own operations, whatever byte each model gives them.
enum class Op {
  Status,
  DocumentState,
  OpenCoupon,
  SellItem,
  CancelItem,
  CancelCoupon,
  Totalize,
  Pay,
  CloseCoupon,
  CloseCouponAtOnce,
  OpenReport,
  PrintText,
  CloseReport,
  NonFiscal,
  NameTotalizer,
  ProgramMethod,
  ReadingX,
  ReductionZ,
  FiscalMemory,
  Totals,
  Rates,
  Identity,
  FiscalDate,
  Clock,
  Tables,
};

struct Command : emu::CommandContext<PrinterState, Peripherals> {
  using CommandContext::CommandContext;

  std::string params;
  int error = 0;
  std::string answer;  // the body after ':'
  bool changed = false;
  bool raw = false;  // the answer goes without the leading ':'

  void Refuse(int code) {
    if (error == 0) error = code;
  }
};

enum ErrorCode {
  kUnknownCommand = 1,
  kBadParameters = 2,
  kOutOfOrder = 10,
  kReductionDue = 11,
  kUnknownTax = 12,
  kNothingToCancel = 13,
  kTableFull = 14,
  kPaperOut = 20,
  kMemory = 30,
  kTape = 31,
};

// Generic checks (paper, fiscal day), then the handler of the operation.
void Execute(Op op, Command& command);
// Whether the operation only answers from the memory, changing nothing.
bool AsksOnly(Op op);

// Answers that depend on the model.
std::string StatusAnswer(const PrinterState& state, const Peripherals& peripherals, bool due);
std::string DocumentStateAnswer(const PrinterState& state);

bool ReductionDue(const PrinterState& state, const DateTime& now);
// Decimal digits only, of exactly `width` characters (width 0: any).
bool ParseDigits(const std::string& text, int width, long long& value);

// Handlers, by family.
void OpenCoupon(Command&);
void SellItem(Command&);
void CancelItem(Command&);
void CancelCoupon(Command&);
void Totalize(Command&);
void Pay(Command&);
void CloseCoupon(Command&);
void CloseCouponAtOnce(Command&);

void OpenReport(Command&);
void PrintText(Command&);
void CloseReport(Command&);
void NonFiscal(Command&);
void ReadingX(Command&);
void ReductionZ(Command&);
void FiscalMemory(Command&);

void NameTotalizer(Command&);
void ProgramMethod(Command&);
void Rates(Command&);
void Tables(Command&);

void Status(Command&);
void DocumentState(Command&);
void Totals(Command&);
void Identity(Command&);
void FiscalDate(Command&);
void ClockAnswer(Command&);

}  // namespace daremu
