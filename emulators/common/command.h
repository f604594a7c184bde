// What every emulated printer's command handler works on: the printer's
// memory, its tape and what sits beside it, and the moment the command
// arrived. Each printer's command adds its fields and its way to refuse.
#pragma once
#include <string>

#include "emulators/common/bench.h"
#include "emulators/common/clock.h"
#include "emulators/common/tape.h"

namespace emu {

template <class State, class Peripherals>
struct CommandContext {
  CommandContext(State& s, Tape& t, Peripherals& p, const DateTime& at)
      : state(s), tape(t), peripherals(p), now(at), today(DayNumber(at.year, at.month, at.day)) {}

  State& state;
  Tape& tape;
  Peripherals& peripherals;
  DateTime now;
  int today = 0;
  bool print_failed = false;  // the tape refused a line: the paper ran out

  void Print(const std::string& text) {
    if (!tape.Print(text)) print_failed = true;
  }
};

// The flags of a command-table row that the common checks read; a
// printer's own flags take the bits from kFirstOwnFlag on.
inline constexpr unsigned kPrints = 1;    // needs paper
inline constexpr unsigned kMovement = 2;  // belongs to the fiscal day: refused while a Z is due
inline constexpr unsigned kFirstOwnFlag = 4;

// The checks every emulated printer makes before a command's handler, in
// this order: paper for a command that prints, then the fiscal day for one
// that moves it (`reduction_due` is asked only then).
enum class Gate { Go, PaperOut, ReductionDue };
template <typename Due>
Gate CheckCommand(unsigned flags, Paper paper, Due&& reduction_due) {
  if ((flags & kPrints) && paper == Paper::Out) return Gate::PaperOut;
  if ((flags & kMovement) && reduction_due()) return Gate::ReductionDue;
  return Gate::Go;
}

}  // namespace emu
