// The layouts of the printer's answers (positions 1-based, as the driver
// reads them):
//   accepted       ".+P00" paper "}"       paper "0", or "5" with little paper
//   refused        ".-Pnnn" text "}"        the printer's error text
//   "27"           ".+C" ecf(4-6) "1"(7) fiscal day DDMMYY(8-13) COO(14-17)
//                  grand total(18-35) day gross(36-49) cancelled(50-63)
//                  discounts(64-77) reductions(78-81) "}"
//   "27" "3"       ".+C" ecf(4-6) "3"(7) model(8-12) serial(13-21) "}"
//   "28"           ".+" ecf(3-5) COO(6-9) state word(10-17) blanks(18-20)
//                  day letter(21) reductions(22-25) X readings(26-29)
//                  blanks(30-46) clock DDMMYYhhnn(47-56) "}"
//   "29" X         ".+0000" X(7) the table's data "}"
//   drawer         ".+GAV" state(6) "}"    "1" open, "0" shut
#pragma once
#include <string>

#include "emulators/common/clock.h"
#include "emulators/sweda/printer_state.h"

namespace swdemu {

using emu::DateTime;

enum class Refusal {
  UnknownCommand = 1,
  BadParameter = 2,
  OutOfSequence = 3,
  RateNotProgrammed = 4,
  PaperOut = 5,
  Busy = 6,
  Unfinished = 7,
  ReductionDue = 8,
  DayOpen = 9,
  MemoryFault = 10,
  BadValue = 11,
  NoSuchItem = 12,
  CancelRefused = 13,
  TableFull = 14,
  PaymentShort = 15,
};

// ".-Pnnn" and the printer's text.
std::string RefusalAnswer(Refusal refusal);
// A refusal with a code and text of the bench's choice ("-P007", "ERRO-...").
std::string RefusalAnswer(const std::string& code, const std::string& text);
std::string AcceptedAnswer(bool little_paper);

std::string CouponDataAnswer(const PrinterState& state);
std::string IdentityAnswer(const PrinterState& state);
// The state word of the printer as it stands ("C LIVRE ", "P VENDAS", ...).
std::string StateWord(const PrinterState& state);
std::string StateAnswer(const PrinterState& state, const DateTime& now, const std::string& word);
std::string DrawerAnswer(bool open);
// The answer to "29" for a selector; empty for a selector the printer lacks.
std::string TableAnswer(const PrinterState& state, char selector);

// Width of a payment-method entry on the wire: 15, or 16 with its flag.
std::size_t MethodWidth(int model);

}  // namespace swdemu
