// One handler per family of commands. A handler checks its arguments and
// the order of operations and refuses, or changes the printer's state,
// prints and leaves its data answer. Nothing is changed by a refusal.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "emulators/common/clock.h"
#include "emulators/common/command.h"
#include "emulators/common/tape.h"
#include "emulators/sweda/answers.h"
#include "emulators/sweda/printer_state.h"

namespace swdemu {

// What sits beside the fiscal memory.
struct Peripherals {
  bool drawer_open = false;
  emu::Paper paper = emu::Paper::Ok;
};

struct Command : emu::CommandContext<PrinterState, Peripherals> {
  using CommandContext::CommandContext;

  std::string code;
  std::string args;    // everything between the code and "}"
  std::string answer;  // a data answer; empty: the plain acceptance
  std::optional<Refusal> refusal;

  void Refuse(Refusal r) {
    if (!refusal) refusal = r;
  }
};

using Handler = void (*)(Command&);

using emu::kMovement;
using emu::kPrints;
inline constexpr unsigned kChangesState = emu::kFirstOwnFlag;     // saved to the fiscal memory when executed
inline constexpr unsigned kTellsPaper = emu::kFirstOwnFlag << 1;  // begins a document: its answer tells little paper

struct CommandEntry {
  std::string_view code;
  unsigned models;  // bit per type code that knows the code
  unsigned flags;
  Handler handler;
};

// The command a frame's code names on this model; nothing when unknown.
const CommandEntry* FindCommand(std::string_view code, int model);
// Generic checks (paper, fiscal day), then the handler.
void Execute(const CommandEntry& entry, Command& command);

// Fiscal-day rules shared by the handlers.
bool ReductionDue(const PrinterState& state, const DateTime& now);
void StartMovement(PrinterState& state, int today);
// The value of a field of exactly `width` digits.
std::optional<long long> Digits(const std::string& text, std::size_t from, std::size_t width);

// Handlers, by family.
void OpenCoupon(Command&);      // "17"
void SellItem(Command&);        // "01"
void ItemDiscount(Command&);    // "02"
void CancelItem(Command&);      // "04"
void CancelDocument(Command&);  // "05"
void Pay(Command&);             // "10"
void CloseDocument(Command&);   // "12"

void ReadingX(Command&);             // "13"
void ReductionZ(Command&);           // "14"
void FiscalMemoryReading(Command&);  // "16"
void NonFiscalReceipt(Command&);     // "19"
void TextLine(Command&);             // "08"
void Status(Command&);               // "23"
void DrawerState(Command&);          // "22" / "43"
void OpenDrawer(Command&);           // "21" / "42"
void CouponData(Command&);           // "27"
void State(Command&);                // "28"

void ReadTable(Command&);          // "29"
void ProgramTotalizers(Command&);  // "38"
void ProgramMethods(Command&);     // "39"

void CheckData(Command&);    // "44"
void CheckLayout(Command&);  // "45"
void CheckFormat(Command&);  // "46"
void EndCheck(Command&);     // "_25"

}  // namespace swdemu
