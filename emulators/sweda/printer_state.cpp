#include "emulators/sweda/printer_state.h"

namespace swdemu {

long long Coupon::Total() const {
  long long total = 0;
  for (const SaleItem& item : items)
    if (!item.cancelled) total += item.total - item.discount;
  return total;
}

Document PrinterState::Open() const {
  if (coupon_open) return Document::Coupon;
  if (report_open) return Document::Report;
  if (check_in_progress) return Document::Check;
  return Document::None;
}

PrinterState FactoryState() {
  PrinterState state;
  state.rates[0] = "T011800";
  state.rates[1] = "T021200";
  state.rates[2] = "T030700";
  state.rates[3] = "S040500";
  state.methods[0] = Method{'S', "Dinheiro"};
  return state;
}

}  // namespace swdemu
