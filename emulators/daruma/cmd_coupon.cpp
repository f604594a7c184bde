// The fiscal coupon: opening, items, cancellations, totalling, payment and
// closing, in the two ways the models close it.
#include <cstdio>

#include "emulators/daruma/commands.h"

namespace daremu {

namespace {

constexpr std::size_t kSaleParams = 68;
const char kEndOfText = '\xFF';

bool KnownTax(const PrinterState& s, char tax) {
  if (tax == 'N' || tax == 'I' || tax == 'F') return true;
  for (const Rate& r : s.rates)
    if (r.code == tax) return true;
  return false;
}

// "ddddd  " whole units, or "ddd,dd " with two decimals; in hundredths.
bool ParseQuantity(const std::string& field, long long& hundredths) {
  long long value = 0;
  if (field.substr(5) == "  " && ParseDigits(field.substr(0, 5), 5, value)) {
    hundredths = value * 100;
    return true;
  }
  long long units = 0;
  if (field[3] != ',' || field[6] != ' ' || !ParseDigits(field.substr(0, 3), 3, units) ||
      !ParseDigits(field.substr(4, 2), 2, value))
    return false;
  hundredths = units * 100 + value;
  return true;
}

// An amount as the platform writes a number: "25", "25,5", "25,50".
bool ParseAmountText(const std::string& text, long long& cents) {
  const std::size_t comma = text.find_first_of(",.");
  long long units = 0, fraction = 0;
  if (!ParseDigits(text.substr(0, comma), 0, units)) return false;
  if (comma != std::string::npos) {
    std::string decimals = text.substr(comma + 1);
    if (decimals.empty() || decimals.size() > 2) return false;
    if (decimals.size() == 1) decimals += '0';
    if (!ParseDigits(decimals, 2, fraction)) return false;
  }
  cents = units * 100 + fraction;
  return true;
}

// Nothing, or CR LF, "CNPJ/CPF : " and the number, CR LF, and maybe
// "Nome : " and the name, CR LF.
bool CustomerFooter(const std::string& footer) {
  if (footer.empty()) return true;
  const std::string head = "\r\nCNPJ/CPF : ";
  if (footer.rfind(head, 0) != 0) return false;
  const std::size_t end = footer.find("\r\n", head.size());
  if (end == std::string::npos || end == head.size()) return false;
  const std::string rest = footer.substr(end + 2);
  if (rest.empty()) return true;
  const std::string name = "Nome : ";
  return rest.rfind(name, 0) == 0 && rest.size() > name.size() + 2 && rest.find("\r\n") == rest.size() - 2;
}

bool LiveItems(const Coupon& c) {
  for (const Item& i : c.items)
    if (!i.cancelled) return true;
  return false;
}

// What each method keeps of a closed coupon: what it received, the change
// going back from the method of the last payment, the one that paid past
// the total. A coupon closed without payments of its own is the first
// method's. `sign` -1 takes a cancelled coupon back.
void AddToMethods(PrinterState& s, const Coupon& coupon, int sign) {
  std::vector<Payment> payments = coupon.payments;
  if (payments.empty()) payments.push_back({0, coupon.paid});
  payments.back().amount -= coupon.paid - coupon.Total();
  for (const Payment& p : payments)
    if (p.method < s.methods.size()) s.methods[p.method].day_amount += sign * p.amount;
}

void Finish(Command& c) {
  PrinterState& s = c.state;
  Coupon& coupon = *s.coupon;
  const long long total = coupon.Total();
  AddToMethods(s, coupon, 1);
  c.Print("TOTAL R$ " + Money(total) + "\nPAGO R$ " + Money(coupon.paid) + "\nTROCO R$ " + Money(coupon.paid - total) +
          "\nCOO " + Digits(coupon.coo, 6) + "\n---- FIM DO CUPOM ----\n");
  s.day_sales += total;
  s.grand_total += total;
  s.last_coupon = coupon;
  s.coupon.reset();
  s.open = Document::None;
  c.answer = "0" + Digits(coupon.coo, 6);
  c.changed = true;
}

}  // namespace

void OpenCoupon(Command& c) {
  PrinterState& s = c.state;
  if (!c.params.empty()) return c.Refuse(kBadParameters);
  if (s.open != Document::None) return c.Refuse(kOutOfOrder);
  if (!s.fiscal_day) s.fiscal_day = c.today;
  const int coo = s.NextDocument();
  s.coupon = Coupon{coo, Phase::Selling, {}, 0, 0, {}};
  s.open = Document::Coupon;
  c.Print("\n        CUPOM FISCAL\nECF " + s.ecf + "  COO " + Digits(coo, 6) + "\n");
  c.answer = "0" + Digits(coo, 6);
  c.changed = true;
}

void SellItem(Command& c) {
  PrinterState& s = c.state;
  if (!s.CouponOpen() || s.coupon->phase != Phase::Selling) return c.Refuse(kOutOfOrder);
  const std::string& p = c.params;
  if (p.size() != kSaleParams) return c.Refuse(kBadParameters);
  Item item;
  item.tax = p[0];
  item.code = p.substr(1, 13);
  long long discount = 0;
  if (p.substr(14, 4) != "0000" || !ParseDigits(p.substr(18, 4), 4, discount) ||
      !ParseDigits(p.substr(22, 9), 9, item.price) || !ParseQuantity(p.substr(31, 7), item.quantity))
    return c.Refuse(kBadParameters);
  item.description = p.substr(38, 30);
  if (!KnownTax(s, item.tax)) return c.Refuse(kUnknownTax);
  // Type 7 takes the discount as a percentage with two decimals, type 8 in cents.
  item.discount = s.model == 8 ? discount : item.Gross() * discount / 10000;
  if (item.quantity <= 0 || item.discount > item.Gross()) return c.Refuse(kBadParameters);
  s.coupon->items.push_back(item);
  const std::size_t number = s.coupon->items.size();
  c.Print(Digits(static_cast<long long>(number), 3) + " " + item.code + " " + item.description + "\n    " +
          Money(item.quantity) + " x " + Money(item.price) + " " + item.tax + " " + Money(item.Gross()) + "\n");
  if (item.discount > 0) c.Print("    desconto -" + Money(item.discount) + "\n");
  c.answer = "0" + Digits(static_cast<long long>(number), 3);
  c.changed = true;
}

void CancelItem(Command& c) {
  PrinterState& s = c.state;
  long long number = 0;
  if (!ParseDigits(c.params, 0, number)) return c.Refuse(kBadParameters);
  if (!s.CouponOpen() || s.coupon->phase != Phase::Selling) return c.Refuse(kOutOfOrder);
  if (number < 1 || static_cast<std::size_t>(number) > s.coupon->items.size()) return c.Refuse(kNothingToCancel);
  Item& item = s.coupon->items[static_cast<std::size_t>(number - 1)];
  if (item.cancelled) return c.Refuse(kNothingToCancel);
  item.cancelled = true;
  c.Print("ITEM " + Digits(number, 3) + " CANCELADO -" + Money(item.Net()) + "\n");
  c.answer = "0" + Digits(number, 3);
  c.changed = true;
}

void CancelCoupon(Command& c) {
  PrinterState& s = c.state;
  if (!c.params.empty()) return c.Refuse(kBadParameters);
  if (s.CouponOpen()) {
    const int coo = s.coupon->coo;
    s.coupon.reset();
    s.open = Document::None;
    c.Print("CUPOM " + Digits(coo, 6) + " CANCELADO\n");
    c.answer = "0" + Digits(coo, 6);
  } else if (s.open == Document::None && s.last_coupon) {
    const Coupon last = *s.last_coupon;
    s.day_sales -= last.Total();
    AddToMethods(s, last, -1);
    s.NextDocument();
    c.Print("CANCELAMENTO DO CUPOM " + Digits(last.coo, 6) + " -" + Money(last.Total()) + "\n");
    c.answer = "0" + Digits(last.coo, 6);
  } else {
    return c.Refuse(kNothingToCancel);
  }
  c.changed = true;
}

// "1" and a discount on the subtotal in 12 digits.
void Totalize(Command& c) {
  PrinterState& s = c.state;
  if (!s.CouponOpen() || s.coupon->phase != Phase::Selling || !LiveItems(*s.coupon)) return c.Refuse(kOutOfOrder);
  long long discount = 0;
  if (c.params.size() != 13 || c.params[0] != '1' || !ParseDigits(c.params.substr(1), 12, discount) ||
      discount >= s.coupon->Subtotal())
    return c.Refuse(kBadParameters);
  s.coupon->discount = discount;
  s.coupon->phase = Phase::Totalled;
  c.Print("SUBTOTAL R$ " + Money(s.coupon->Subtotal()) +
          (discount > 0 ? "\nDESCONTO R$ " + Money(discount) : std::string()) + "\n");
  c.answer = "0" + Digits(s.coupon->Total(), 12);
  c.changed = true;
}

// The method's letter ("P": the first method, cash), 12 digits, 0xFF.
void Pay(Command& c) {
  PrinterState& s = c.state;
  if (!s.CouponOpen() || s.coupon->phase == Phase::Selling) return c.Refuse(kOutOfOrder);
  long long amount = 0;
  const std::string& p = c.params;
  if (p.size() != 14 || p[13] != kEndOfText || !ParseDigits(p.substr(1, 12), 12, amount) || amount <= 0)
    return c.Refuse(kBadParameters);
  std::size_t method = static_cast<std::size_t>(p[0] - 'A');
  if (p[0] == 'P' && method >= s.methods.size()) method = 0;
  if (p[0] < 'A' || method >= s.methods.size()) return c.Refuse(kBadParameters);
  s.coupon->paid += amount;
  s.coupon->payments.push_back({method, amount});
  s.coupon->phase = Phase::Paying;
  c.Print(s.methods[method].name + " R$ " + Money(amount) + "\n");
  const long long rest = s.coupon->Total() - s.coupon->paid;
  c.answer = "0" + Digits(rest < 0 ? -rest : rest, 12);
  c.changed = true;
}

// The footer (the customer's lines), up to 0xFF.
void CloseCoupon(Command& c) {
  PrinterState& s = c.state;
  if (c.params.empty() || c.params.back() != kEndOfText || !CustomerFooter(c.params.substr(0, c.params.size() - 1)))
    return c.Refuse(kBadParameters);
  if (!s.CouponOpen() || s.coupon->phase != Phase::Paying || s.coupon->paid < s.coupon->Total())
    return c.Refuse(kOutOfOrder);
  std::string footer = c.params.substr(0, c.params.size() - 1);
  for (std::size_t at; (at = footer.find("\r\n")) != std::string::npos;) footer.replace(at, 2, "\n");
  if (!footer.empty()) c.Print(footer);
  Finish(c);
}

// Type 8 closes in one command: the discount (4 digits), the amount paid
// now as the platform writes a number (none: what was paid before), 0xFF.
void CloseCouponAtOnce(Command& c) {
  PrinterState& s = c.state;
  const std::string& p = c.params;
  long long discount = 0, paid = 0;
  if (p.size() < 5 || p.back() != kEndOfText || !ParseDigits(p.substr(0, 4), 4, discount))
    return c.Refuse(kBadParameters);
  const std::string amount = p.substr(4, p.size() - 5);
  if (!amount.empty() && !ParseAmountText(amount, paid)) return c.Refuse(kBadParameters);
  if (!s.CouponOpen() || !LiveItems(*s.coupon) || discount >= s.coupon->Subtotal()) return c.Refuse(kOutOfOrder);
  if (s.coupon->paid + paid < s.coupon->Subtotal() - discount) return c.Refuse(kOutOfOrder);
  s.coupon->discount = discount;
  s.coupon->paid += paid;
  if (paid > 0) s.coupon->payments.push_back({0, paid});
  if (discount > 0) c.Print("DESCONTO R$ " + Money(discount) + "\n");
  Finish(c);
}

}  // namespace daremu
