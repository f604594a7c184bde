// One handler per command code. A handler checks its fields and the order
// of operations, refuses with status bits, or changes the printer's state,
// prints and leaves its data answer. Nothing is changed by a refusal.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulators/bematech/printer_state.h"
#include "emulators/bematech/shared.h"
#include "emulators/common/command.h"
#include "emulators/common/bench.h"

namespace mp20emu {

// What sits beside the fiscal memory: drawer, report file.
struct Peripherals {
  bool drawer_open = false;
  std::string report_path = "mp20fi.ret";
  // The bench's own report text, written by "69" in place of the
  // printer's (another firmware's layout, a file cut short).
  std::optional<std::string> report_text;
  bool restaurant = false;  // the restaurant model (MP-20 FI type 9)
};

struct Command : emu::CommandContext<FiscalState, Peripherals> {
  Command(FiscalState& s, Tape& t, Peripherals& p, emu::Paper level, const DateTime& at)
      : CommandContext(s, t, p, at), paper(level) {}

  emu::Paper paper;
  std::vector<std::string> args;
  int standing_st1 = 0;  // bits the printer shows whatever the command
  int standing_st2 = 0;
  int st1 = 0;
  int st2 = 0;
  std::string answer;

  void Refuse(int st1_bits, int st2_bits) {
    st1 |= st1_bits;
    st2 |= st2_bits;
  }
  bool Refused() const { return st1 != 0 || st2 != 0; }
};

using Handler = void (*)(Command&);

using emu::kMovement;
using emu::kPrints;
inline constexpr unsigned kChangesState = emu::kFirstOwnFlag;  // saved to the fiscal memory when executed

struct CommandEntry {
  std::string_view code;
  int min_fields;
  int max_fields;
  unsigned flags;
  Handler handler;
};

// The command named by the leading fields ("09", or "62" "50" for
// "62|50"); `code_fields` receives how many fields the code took.
const CommandEntry* FindCommand(const std::vector<std::string>& fields, std::size_t& code_fields);
// Generic checks (field count, paper, fiscal day), then the handler.
void Execute(const CommandEntry& entry, Command& command);

// Fiscal day rules shared by the handlers.
bool ReductionDue(const FiscalState& state, const DateTime& now);
void OpenDayIfNeeded(FiscalState& state, int today);
// Known tax code: "FF", "II", "NN" or a programmed "01".."16".
bool KnownTax(const FiscalState& state, const std::string& tax);
// Adds to the taxable base of the item's tax code.
void AddToBase(DayTotals& day, const std::string& tax, long long amount);

// The coupon shared by the retail and the table sale: opens one (the
// heading printed under its title) and adds a sale line to it, feeding the
// day's totals.
void StartCoupon(Command& c, const std::string& heading);
void AddSaleLine(Command& c, const Item& item);

// Handlers, by family.
void OpenCoupon(Command&);    // "00"
void SellItem(Command&);      // "09"
void CancelItem(Command&);    // "31"
void CancelCoupon(Command&);  // "14"
void Surcharge(Command&);     // "62|50"
void StartClosing(Command&);  // "32"
void Pay(Command&);           // "72"
void EndClosing(Command&);    // "34"

void NonFiscalReceipt(Command&);      // "25"
void OpenVoucher(Command&);           // "66"
void PrintText(Command&);             // "67"
void ManagementReport(Command&);      // "20"
void CloseDocument(Command&);         // "21"
void NameTotalizer(Command&);         // "40"
void ProgramPaymentMethod(Command&);  // "71"

void ReadingX(Command&);             // "06"
void ReductionZ(Command&);           // "05"
void FiscalMemoryReading(Command&);  // "08"
void Totals(Command&);               // "27"
void WriteReductionFile(Command&);   // "69"

void Variable(Command&);      // "35"
void RateTable(Command&);     // "26"
void CouponNumber(Command&);  // "30"
void StatusText(Command&);    // "19"
void DrawerState(Command&);   // "23"
void OpenDrawer(Command&);    // "22|255"
void Acknowledge(Command&);   // "12"

void RegisterTableItem(Command&);  // "80|48"
void CancelTableItem(Command&);    // "80|49"
void TableCheck(Command&);         // "80|50"
void JoinTables(Command&);         // "80|51"
void TableCoupon(Command&);        // "80|52"
void TransferTableItem(Command&);  // "80|53"
void OpenTablesReport(Command&);   // "80|54"
void PrintMenu(Command&);          // "80|55"
void CloseTableCheck(Command&);    // "80|58"
void TableReversal(Command&);      // "74"

}  // namespace mp20emu
