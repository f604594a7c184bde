#include "emulators/sweda/commands.h"

#include <array>
#include <cstring>
#include <unordered_map>

#include "emulators/common/fields.h"

namespace swdemu {

namespace {

constexpr unsigned Models(std::initializer_list<int> tipos) {
  unsigned bits = 0;
  for (int t : tipos) bits |= 1u << t;
  return bits;
}

constexpr unsigned kAll = Models({3, 4, 5, 6});
constexpr unsigned kType3 = Models({3});
constexpr unsigned kLater = Models({4, 5, 6});
constexpr unsigned kCheckStation = Models({4});
constexpr unsigned kSale = kPrints | kMovement | kChangesState;
constexpr unsigned kDocument = kPrints | kChangesState;

const std::array kCommands = {
    CommandEntry{"17", kAll, kSale | kTellsPaper, OpenCoupon},
    CommandEntry{"01", kAll, kSale, SellItem},
    CommandEntry{"02", kAll, kSale, ItemDiscount},
    CommandEntry{"04", kAll, kSale, CancelItem},
    CommandEntry{"05", kAll, kDocument, CancelDocument},
    CommandEntry{"10", kAll, kSale, Pay},
    CommandEntry{"12", kAll, kDocument, CloseDocument},
    CommandEntry{"13", kAll, kDocument, ReadingX},
    CommandEntry{"14", kAll, kDocument, ReductionZ},
    CommandEntry{"16", kAll, kDocument, FiscalMemoryReading},
    CommandEntry{"19", kAll, kSale | kTellsPaper, NonFiscalReceipt},
    CommandEntry{"08", kAll, kSale, TextLine},
    CommandEntry{"23", kAll, 0, Status},
    CommandEntry{"22", kType3, 0, DrawerState},
    CommandEntry{"43", kLater, 0, DrawerState},
    CommandEntry{"21", kType3, 0, OpenDrawer},
    CommandEntry{"42", kLater, 0, OpenDrawer},
    CommandEntry{"27", kAll, 0, CouponData},
    CommandEntry{"28", kAll, 0, State},
    CommandEntry{"29", kAll, 0, ReadTable},
    CommandEntry{"38", kAll, kChangesState, ProgramTotalizers},
    CommandEntry{"39", kAll, kChangesState, ProgramMethods},
    CommandEntry{"44", kCheckStation, kDocument, CheckData},
    CommandEntry{"45", kCheckStation, kChangesState, CheckLayout},
    CommandEntry{"46", kCheckStation, kChangesState, CheckFormat},
    CommandEntry{"_25", kCheckStation, kDocument, EndCheck},
};

}  // namespace

const CommandEntry* FindCommand(std::string_view code, int model) {
  // Made once: every frame the printer takes is looked up here.
  static const auto by_code = [] {
    std::unordered_map<std::string_view, const CommandEntry*> map;
    for (const CommandEntry& entry : kCommands) map.emplace(entry.code, &entry);
    return map;
  }();
  const auto it = by_code.find(code);
  if (it == by_code.end()) return nullptr;
  return (it->second->models >> model) & 1u ? it->second : nullptr;
}

bool ReductionDue(const PrinterState& state, const DateTime& now) {
  return state.day_open && emu::ReductionDue(state.fiscal_day, now);
}

void StartMovement(PrinterState& state, int today) {
  if (state.day_open) return;
  state.day_open = true;
  state.fiscal_day = today;
}

std::optional<long long> Digits(const std::string& text, std::size_t from, std::size_t width) {
  if (from + width > text.size()) return std::nullopt;
  return emu::DigitField(text.substr(from, width), width);
}

void Execute(const CommandEntry& entry, Command& command) {
  switch (emu::CheckCommand(entry.flags, command.peripherals.paper,
                            [&] { return ReductionDue(command.state, command.now); })) {
    case emu::Gate::PaperOut:
      return command.Refuse(Refusal::PaperOut);
    case emu::Gate::ReductionDue:
      return command.Refuse(Refusal::ReductionDue);
    case emu::Gate::Go:
      break;
  }
  entry.handler(command);
}

}  // namespace swdemu
