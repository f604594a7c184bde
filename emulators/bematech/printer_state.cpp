#include "emulators/bematech/printer_state.h"

#include "emulators/bematech/shared.h"

namespace mp20emu {

long long Coupon::Subtotal() const {
  long long sum = 0;
  for (const Item& item : items)
    if (!item.cancelled) sum += item.Net();
  return sum;
}

long long Coupon::Paid() const {
  long long sum = 0;
  for (const Payment& p : payments) sum += p.amount;
  return sum;
}

bool Coupon::HasLiveItems() const {
  for (const Item& item : items)
    if (!item.cancelled) return true;
  return false;
}

void DayTotals::AddMethod(int method, long long amount) {
  std::size_t index = static_cast<std::size_t>(method - 1);
  if (method_amounts.size() <= index) method_amounts.resize(index + 1, 0);
  method_amounts[index] += amount;
}

void DayTotals::AddTotalizer(int number, long long amount) {
  std::size_t index = static_cast<std::size_t>(number - 1);
  if (totalizer_counts.size() <= index) {
    totalizer_counts.resize(index + 1, 0);
    totalizer_amounts.resize(index + 1, 0);
  }
  totalizer_counts[index] += 1;
  totalizer_amounts[index] += amount;
}

void DayTotals::Touch(int coo) {
  if (first_coo == 0) first_coo = coo;
  last_coo = coo;
}

int FiscalState::MethodNumber(const std::string& name) const {
  for (std::size_t i = 0; i < methods.size(); ++i)
    if (SameName(methods[i], name)) return static_cast<int>(i + 1);
  return 0;
}

bool FiscalState::TableClosed(const std::string& table) const {
  for (const std::string& t : closed_tables)
    if (t == table) return true;
  return false;
}

int FiscalState::NextDocument() {
  coo = coo >= 999999 ? 1 : coo + 1;
  if (coupon && coupon->phase == CouponPhase::Closed) coupon.reset();
  day.Touch(coo);
  return coo;
}

FiscalState FactoryState() {
  FiscalState state;
  state.rates = {{1800, false}, {1200, false}, {700, false}, {2500, false}, {500, true}};
  return state;
}

}  // namespace mp20emu
