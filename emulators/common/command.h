// What every emulated printer's command handler works on: the printer's
// memory, its tape and what sits beside it, and the moment the command
// arrived. Each printer's command adds its fields and its way to refuse.
#pragma once
#include <string>

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

}  // namespace emu
