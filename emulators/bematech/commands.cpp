#include "emulators/bematech/commands.h"

#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "emulators/bematech/shared.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

constexpr unsigned kSale = kPrints | kMovement | kChangesState;
constexpr unsigned kDocument = kPrints | kChangesState;
constexpr int kAny = 99;

const std::array kCommands = {
    CommandEntry{"00", 0, 0, kSale, OpenCoupon},
    CommandEntry{"09", 6, 6, kSale, SellItem},
    CommandEntry{"31", 1, 1, kSale, CancelItem},
    CommandEntry{"14", 0, 0, kDocument, CancelCoupon},
    CommandEntry{"62|50", 1, 1, kSale, Surcharge},
    CommandEntry{"32", 2, 2, kSale, StartClosing},
    CommandEntry{"72", 2, 2, kSale, Pay},
    CommandEntry{"34", 1, 1, kSale, EndClosing},
    CommandEntry{"25", 2, 3, kSale, NonFiscalReceipt},
    CommandEntry{"66", 3, 3, kSale, OpenVoucher},
    CommandEntry{"67", 1, 1, kPrints, PrintText},
    CommandEntry{"20", 1, 1, kSale, ManagementReport},
    CommandEntry{"21", 0, 0, kDocument, CloseDocument},
    CommandEntry{"40", 2, 4, kChangesState, NameTotalizer},
    CommandEntry{"71", 1, 1, kChangesState, ProgramPaymentMethod},
    CommandEntry{"06", 0, 0, kSale, ReadingX},
    CommandEntry{"05", 0, 0, kDocument, ReductionZ},
    CommandEntry{"08", 3, 3, kDocument, FiscalMemoryReading},
    CommandEntry{"27", 0, 0, 0, Totals},
    CommandEntry{"69", 0, 0, 0, WriteReductionFile},
    CommandEntry{"35", 1, 1, 0, Variable},
    CommandEntry{"26", 0, 0, 0, RateTable},
    CommandEntry{"30", 0, 0, 0, CouponNumber},
    CommandEntry{"19", 0, 0, 0, StatusText},
    CommandEntry{"23", 0, 0, 0, DrawerState},
    CommandEntry{"22|255", 0, 0, 0, OpenDrawer},
    CommandEntry{"12", 0, kAny, 0, Acknowledge},
    // Restaurant model.
    CommandEntry{"80|48", 8, 8, kMovement | kChangesState, RegisterTableItem},
    CommandEntry{"80|49", 8, 8, kMovement | kChangesState, CancelTableItem},
    CommandEntry{"80|50", 3, 3, kPrints | kMovement, TableCheck},
    CommandEntry{"80|51", 2, 2, kMovement | kChangesState, JoinTables},
    CommandEntry{"80|52", 2, 2, kSale, TableCoupon},
    CommandEntry{"80|53", 9, 9, kMovement | kChangesState, TransferTableItem},
    CommandEntry{"80|54", 1, 1, kPrints | kMovement, OpenTablesReport},
    CommandEntry{"80|55", 0, 0, kPrints | kMovement, PrintMenu},
    CommandEntry{"80|58", 2, 2, kPrints | kMovement | kChangesState, CloseTableCheck},
    CommandEntry{"74", 3, 3, kPrints | kMovement | kChangesState, TableReversal},
};

// Text fields of a fixed width, padded by the sender: the item code of a
// sale (13), a table's item code (14) and the table of a cancellation (4).
struct FixedWidth {
  std::string_view code;
  std::size_t field;  // 0-based, after the code
  std::size_t width;
};

constexpr FixedWidth kFixedWidths[] = {
    {"09", 0, 13}, {"80|48", 5, 14}, {"80|49", 0, 4}, {"80|49", 5, 14}, {"80|53", 5, 14},
};

bool FixedWidthsKept(const CommandEntry& entry, const std::vector<std::string>& args) {
  for (const FixedWidth& w : kFixedWidths)
    if (w.code == entry.code && w.field < args.size() && args[w.field].size() != w.width) return false;
  return true;
}

// The table by its first code field, made once: every frame the printer
// takes is looked up here. A first field may stand alone ("35") and may
// also begin two-field codes ("62|50"), which take the frame's second field.
struct CodesFrom {
  const CommandEntry* alone = nullptr;
  std::vector<std::pair<std::string_view, const CommandEntry*>> with_second;
};

const std::unordered_map<std::string_view, CodesFrom>& ByFirstField() {
  static const auto by_first = [] {
    std::unordered_map<std::string_view, CodesFrom> map;
    for (const CommandEntry& entry : kCommands) {
      const std::size_t bar = entry.code.find('|');
      CodesFrom& codes = map[entry.code.substr(0, bar)];
      if (bar == std::string_view::npos) {
        codes.alone = &entry;
      } else {
        codes.with_second.emplace_back(entry.code.substr(bar + 1), &entry);
      }
    }
    return map;
  }();
  return by_first;
}

}  // namespace

const CommandEntry* FindCommand(const std::vector<std::string>& fields, std::size_t& code_fields) {
  if (fields.empty()) return nullptr;
  const auto& by_first = ByFirstField();
  const auto it = by_first.find(fields[0]);
  if (it == by_first.end()) return nullptr;
  if (fields.size() >= 2)
    for (const auto& [second, entry] : it->second.with_second)
      if (second == fields[1]) {
        code_fields = 2;
        return entry;
      }
  code_fields = 1;
  return it->second.alone;
}

bool ReductionDue(const FiscalState& state, const DateTime& now) {
  return state.fiscal_day && emu::ReductionDue(*state.fiscal_day, now);
}

void OpenDayIfNeeded(FiscalState& state, int today) {
  if (!state.fiscal_day) state.fiscal_day = today;
}

bool KnownTax(const FiscalState& state, const std::string& tax) {
  if (tax == "FF" || tax == "II" || tax == "NN") return true;
  auto number = DigitField(tax, 2);
  return number && *number >= 1 && static_cast<std::size_t>(*number) <= state.rates.size();
}

void AddToBase(DayTotals& day, const std::string& tax, long long amount) {
  if (tax == "FF")
    day.substitution += amount;
  else if (tax == "II")
    day.exempt += amount;
  else if (tax == "NN")
    day.untaxed += amount;
  else
    day.rate_base[static_cast<std::size_t>(std::stoi(tax) - 1)] += amount;
}

void Execute(const CommandEntry& entry, Command& command) {
  int fields = static_cast<int>(command.args.size());
  if (fields < entry.min_fields || fields > entry.max_fields) return command.Refuse(kSt1FieldCount, 0);
  if (!FixedWidthsKept(entry, command.args)) return command.Refuse(0, kSt2FieldType);
  if ((entry.flags & kPrints) && command.paper == emu::Paper::Out) return command.Refuse(kSt1PaperOut, 0);
  if (entry.flags & kMovement) {
    const FiscalState& state = command.state;
    if (state.fiscal_day && command.today < *state.fiscal_day) return command.Refuse(kSt1Clock, 0);
    if (ReductionDue(state, command.now)) return command.Refuse(0, kSt2NotExecuted);
  }
  entry.handler(command);
}

}  // namespace mp20emu
