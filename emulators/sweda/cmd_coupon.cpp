// The fiscal coupon: opening, items and their discounts, cancellations,
// payments and closing.
#include <algorithm>
#include <cstdlib>

#include "emulators/common/fields.h"
#include "emulators/sweda/commands.h"

namespace swdemu {

namespace {

using emu::Money;
using emu::Quantity;

// Item sale fields: code, quantity, unit price, total, description,
// aliquota, promotion line.
constexpr std::size_t kItemFields[] = {13, 7, 9, 12, 24, 3, 40};
constexpr std::size_t kItemSize = 13 + 7 + 9 + 12 + 24 + 3 + 40;

bool Selling(const PrinterState& state) { return state.coupon_open && state.coupon && !state.coupon->paying; }

bool KnownTax(const PrinterState& state, const std::string& tax) {
  if (tax == "F  " || tax == "I  " || tax == "N  ") return true;
  for (const std::string& rate : state.rates)
    if (!rate.empty() && rate.compare(0, 3, tax) == 0) return true;
  return false;
}

// The register works the item total out from the quantity and the unit
// price before the price is rounded to its field, and cuts it to the cent:
// the printer takes it when it lies between what the quantity (cut to the
// thousandth) and the price (rounded to the cent) allow.
bool TotalAgrees(long long quantity, long long price, long long total) {
  const long long lowest = std::max(0LL, quantity * (2 * price - 1) / 2000);
  const long long highest = (quantity + 1) * (2 * price + 1) / 2000;
  return total >= lowest && total <= highest;
}

// The first field of a discount carries the discount again: "0,50% ="
// filled to 10 on types 3 and 4 (the register's decimal separator), four
// digits with two implied decimals on types 5 and 6. Its value in cents.
std::optional<long long> DiscountFirstField(const std::string& text, int model) {
  if (model >= 5) return emu::DigitField(text, 4);
  const std::size_t mark = text.find("% =");
  if (mark == std::string::npos || mark < 4 || text.find_first_not_of(' ', mark + 3) != std::string::npos)
    return std::nullopt;
  const char separator = text[mark - 3];
  if (separator != ',' && separator != '.') return std::nullopt;
  const std::string whole = text.substr(0, mark - 3);
  const std::string cents = text.substr(mark - 2, 2);
  if (!emu::AllDigits(whole) || !emu::AllDigits(cents) || whole.empty()) return std::nullopt;
  return std::stoll(whole) * 100 + std::stoll(cents);
}

std::string Field(const std::string& args, std::size_t index) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < index; ++i) at += kItemFields[i];
  return args.substr(at, kItemFields[index]);
}

}  // namespace

void OpenCoupon(Command& c) {
  PrinterState& s = c.state;
  if (s.Open() != Document::None) return c.Refuse(Refusal::Unfinished);
  StartMovement(s, c.today);
  s.coupon = Coupon{++s.coo, false, {}, 0};
  s.coupon_open = true;
  c.Print("CUPOM FISCAL                  COO:" + emu::Digits(s.coo, 6) + "\n");
}

void SellItem(Command& c) {
  PrinterState& s = c.state;
  if (!Selling(s)) return c.Refuse(Refusal::OutOfSequence);
  if (c.args.size() != kItemSize) return c.Refuse(Refusal::BadParameter);
  const auto quantity = Digits(c.args, 13, 7);
  const auto price = Digits(c.args, 20, 9);
  const auto total = Digits(c.args, 29, 12);
  if (!quantity || !price || !total || *quantity == 0) return c.Refuse(Refusal::BadParameter);
  const std::string tax = Field(c.args, 5);
  if (!KnownTax(s, tax)) return c.Refuse(Refusal::RateNotProgrammed);
  if (!TotalAgrees(*quantity, *price, *total)) return c.Refuse(Refusal::BadValue);
  SaleItem item{Field(c.args, 0), Field(c.args, 4), tax, *quantity, *price, *total, 0, false};
  s.coupon->items.push_back(item);
  s.day_gross += item.total;
  c.Print(emu::Digits(static_cast<long long>(s.coupon->items.size()), 3) + " " + item.code + " " +
          emu::Trim(item.description) + "\n    " + Quantity(item.quantity) + " x " + Money(item.unit_price) + " " +
          emu::Trim(tax) + "  " + Money(item.total) + "\n");
}

void ItemDiscount(Command& c) {
  PrinterState& s = c.state;
  const std::size_t first = s.model >= 5 ? 4 : 10;
  if (c.args.size() != first + 12) return c.Refuse(Refusal::BadParameter);
  const auto amount = Digits(c.args, first, 12);
  const auto again = DiscountFirstField(c.args.substr(0, first), s.model);
  if (!amount || !again) return c.Refuse(Refusal::BadParameter);
  // Rounded on types 3 and 4, cut like the amount on 5 and 6.
  if (std::llabs(*again - *amount) > (s.model >= 5 ? 0 : 1)) return c.Refuse(Refusal::BadValue);
  if (*amount == 0) return;  // no discount: nothing to do, whatever is open
  if (!Selling(s) || s.coupon->items.empty()) return c.Refuse(Refusal::OutOfSequence);
  SaleItem& item = s.coupon->items.back();
  if (item.cancelled || item.discount != 0 || *amount > item.total) return c.Refuse(Refusal::BadValue);
  item.discount = *amount;
  s.day_discounts += *amount;
  c.Print("    desconto " + emu::Trim(c.args.substr(0, first)) + "  -" + Money(*amount) + "\n");
}

void CancelItem(Command& c) {
  PrinterState& s = c.state;
  if (!Selling(s)) return c.Refuse(Refusal::OutOfSequence);
  if (c.args.empty() || c.args.size() > 3 || !emu::AllDigits(c.args)) return c.Refuse(Refusal::BadParameter);
  const std::size_t number = std::stoul(c.args);
  if (number < 1 || number > s.coupon->items.size()) return c.Refuse(Refusal::NoSuchItem);
  SaleItem& item = s.coupon->items[number - 1];
  if (item.cancelled) return c.Refuse(Refusal::NoSuchItem);
  item.cancelled = true;
  s.day_cancelled += item.total - item.discount;
  c.Print("CANCELAMENTO ITEM " + emu::Digits(static_cast<long long>(number), 3) + "  -" +
          Money(item.total - item.discount) + "\n");
}

void CancelDocument(Command& c) {
  PrinterState& s = c.state;
  if (s.coupon_open || (s.Open() == Document::None && s.coupon)) {
    // The open coupon, or the last one while nothing was printed after it.
    const long long total = s.coupon->Total();
    s.day_cancelled += total;
    ++s.cancelled_coupons;
    c.Print("CUPOM CANCELADO COO:" + emu::Digits(s.coupon->coo, 6) + "  -" + Money(total) + "\n");
    s.coupon_open = false;
    s.coupon.reset();
    return;
  }
  if (s.report_open) {
    s.report_open = false;
    c.Print("RELATORIO CANCELADO\n");
    return;
  }
  c.Refuse(Refusal::CancelRefused);
}

void Pay(Command& c) {
  PrinterState& s = c.state;
  if (!s.coupon_open) return c.Refuse(Refusal::OutOfSequence);
  if (c.args.size() != 14) return c.Refuse(Refusal::BadParameter);
  const auto method = Digits(c.args, 0, 2);
  const auto amount = Digits(c.args, 2, 12);
  if (!method || !amount || *amount == 0 || *method < 1 || *method > static_cast<long long>(kMethods) ||
      s.methods[static_cast<std::size_t>(*method - 1)].name.empty())
    return c.Refuse(Refusal::BadParameter);
  if (!s.coupon->paying) {
    s.coupon->paying = true;
    c.Print("TOTAL  R$ " + Money(s.coupon->Total()) + "\n");
  }
  s.coupon->paid += *amount;
  s.method_amounts[static_cast<std::size_t>(*method - 1)] += *amount;
  c.Print(emu::Trim(s.methods[static_cast<std::size_t>(*method - 1)].name) + "  " + Money(*amount) + "\n");
}

void CloseDocument(Command& c) {
  PrinterState& s = c.state;
  // Flags of the closing: two on types 3 and 4, one on types 5 and 6.
  const std::size_t flags = s.model >= 5 ? 1 : 2;
  if (!c.args.empty() && (c.args.size() != flags || c.args.find_first_not_of("SN") != std::string::npos))
    return c.Refuse(Refusal::BadParameter);
  if (s.coupon_open) {
    const long long total = s.coupon->Total();
    if (!s.coupon->paying || s.coupon->paid < total) return c.Refuse(Refusal::PaymentShort);
    s.grand_total += total;
    c.Print("TROCO  R$ " + Money(s.coupon->paid - total) + "\nCOO:" + emu::Digits(s.coupon->coo, 6) + "  " +
            emu::DaySlashed(c.today) + "\n\n");
    s.coupon_open = false;  // kept in `coupon` while it may be cancelled
    return;
  }
  if (s.report_open) {
    s.report_open = false;
    c.Print("FIM DO RELATORIO\n\n");
  }
}

}  // namespace swdemu
