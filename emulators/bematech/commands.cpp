#include "emulators/bematech/commands.h"

#include <array>

#include "emulators/bematech/fields.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

constexpr unsigned kSale = kPrints | kMovement | kChangesState;
constexpr unsigned kDocument = kPrints | kChangesState;
constexpr int kAny = 99;

const std::array kCommands = {
    CommandSpec{"00", 0, 0, kSale, OpenCoupon},
    CommandSpec{"09", 6, 6, kSale, SellItem},
    CommandSpec{"31", 1, 1, kSale, CancelItem},
    CommandSpec{"14", 0, 0, kDocument, CancelCoupon},
    CommandSpec{"62|50", 1, 1, kSale, Surcharge},
    CommandSpec{"32", 2, 2, kSale, StartClosing},
    CommandSpec{"72", 2, 2, kSale, Pay},
    CommandSpec{"34", 1, 1, kSale, EndClosing},
    CommandSpec{"25", 2, 3, kSale, NonFiscalReceipt},
    CommandSpec{"66", 3, 3, kSale, OpenVoucher},
    CommandSpec{"67", 1, 1, kPrints, PrintText},
    CommandSpec{"20", 0, 1, kSale, ManagementReport},
    CommandSpec{"21", 0, 0, kDocument, CloseDocument},
    CommandSpec{"40", 2, 4, kChangesState, NameTotalizer},
    CommandSpec{"71", 1, 1, kChangesState, ProgramPaymentMethod},
    CommandSpec{"06", 0, 0, kSale, ReadingX},
    CommandSpec{"05", 0, 0, kDocument, ReductionZ},
    CommandSpec{"08", 3, 3, kDocument, FiscalMemoryReading},
    CommandSpec{"27", 0, 0, 0, Totals},
    CommandSpec{"69", 0, 0, 0, WriteReductionFile},
    CommandSpec{"35", 1, 1, 0, Variable},
    CommandSpec{"26", 0, 0, 0, RateTable},
    CommandSpec{"30", 0, 0, 0, CouponNumber},
    CommandSpec{"19", 0, 0, 0, StatusText},
    CommandSpec{"23", 0, 0, 0, DrawerState},
    CommandSpec{"22|255", 0, 0, 0, OpenDrawer},
    CommandSpec{"12", 0, kAny, 0, Acknowledge},
    // Restaurant model.
    CommandSpec{"80|48", 8, 8, kMovement | kChangesState, RegisterTableItem},
    CommandSpec{"80|49", 8, 8, kMovement | kChangesState, CancelTableItem},
    CommandSpec{"80|50", 3, 3, kMovement, Acknowledge},
    CommandSpec{"80|51", 2, 2, kMovement, Acknowledge},
    CommandSpec{"80|52", 2, 2, kMovement, Acknowledge},
    CommandSpec{"80|53", 9, 9, kMovement, Acknowledge},
    CommandSpec{"80|54", 1, 1, kMovement, Acknowledge},
    CommandSpec{"80|55", 0, 0, kMovement, Acknowledge},
    CommandSpec{"80|58", 2, 2, kMovement, Acknowledge},
    CommandSpec{"74", 3, 3, kMovement, Acknowledge},
};

const CommandSpec* Lookup(const std::string& code) {
  for (const CommandSpec& spec : kCommands)
    if (code == spec.code) return &spec;
  return nullptr;
}

}  // namespace

const CommandSpec* FindCommand(const std::vector<std::string>& fields, std::size_t& code_fields) {
  if (fields.empty()) return nullptr;
  if (fields.size() >= 2)
    if (const CommandSpec* compound = Lookup(fields[0] + "|" + fields[1])) {
      code_fields = 2;
      return compound;
    }
  code_fields = 1;
  return Lookup(fields[0]);
}

bool ReductionDue(const FiscalState& state, const DateTime& now) {
  if (!state.fiscal_day) return false;
  int today = DayNumber(now.year, now.month, now.day);
  return (today > *state.fiscal_day && now.hour >= 2) || today - 1 > *state.fiscal_day;
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

void Execute(const CommandSpec& spec, Command& command) {
  int fields = static_cast<int>(command.args.size());
  if (fields < spec.min_fields || fields > spec.max_fields) return command.Refuse(kSt1FieldCount, 0);
  if ((spec.flags & kPrints) && command.peripherals.paper >= 2) return command.Refuse(kSt1PaperOut, 0);
  if (spec.flags & kMovement) {
    const FiscalState& state = command.state;
    if (state.fiscal_day && command.today < *state.fiscal_day) return command.Refuse(kSt1Clock, 0);
    if (ReductionDue(state, command.now)) return command.Refuse(0, kSt2NotExecuted);
  }
  spec.handler(command);
}

}  // namespace mp20emu
