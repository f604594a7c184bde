// The fiscal coupon: open, sell, cancel, close with payments and footer.
#include "emulators/bematech/commands.h"
#include "emulators/bematech/shared.h"
#include "emulators/bematech/layout.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

constexpr std::size_t kDescriptionSize = 29;
constexpr std::size_t kFooterLines = 8;

bool Selling(const FiscalState& state) { return state.CouponOpen() && state.coupon->phase == CouponPhase::Selling; }

bool Paying(const FiscalState& state) { return state.CouponOpen() && state.coupon->phase == CouponPhase::Paying; }

// "0002" (whole units) or "0002500" (three implied decimals).
std::optional<long long> QuantityField(const std::string& text) {
  if (auto whole = DigitField(text, 4)) return *whole * 1000;
  return DigitField(text, 7);
}

std::optional<long long> DiscountField(const std::string& text) {
  if (text == "0000") return 0;
  return DigitField(text, 8);
}

std::size_t LineCount(const std::string& text) {
  std::size_t lines = 0;
  for (char c : text)
    if (c == '\n') ++lines;
  return lines;
}

}  // namespace

void StartCoupon(Command& c, const std::string& heading) {
  FiscalState& s = c.state;
  OpenDayIfNeeded(s, c.today);
  Coupon coupon;
  coupon.coo = s.NextDocument();
  s.coupon = coupon;
  c.Print(DocumentHeader(s, c.now, coupon.coo, "CUPOM FISCAL") + heading + "ITEM C\323DIGO DESCRI\xC7\xC3O\n" +
          Columns("     QTD x VL.UNIT ST", "VL.ITEM(R$)") + Rule());
}

void AddSaleLine(Command& c, const Item& item) {
  FiscalState& s = c.state;
  s.coupon->items.push_back(item);
  s.day.gross += item.Gross();
  s.day.discounts += item.discount;
  AddToBase(s.day, item.tax, item.Net());
  s.grand_total += item.Gross();
  c.Print(ItemLines(s, static_cast<int>(s.coupon->items.size()), item));
}

void OpenCoupon(Command& c) {
  if (c.state.DocumentOpen()) return c.Refuse(0, kSt2NotExecuted);
  StartCoupon(c, "");
}

void SellItem(Command& c) {
  FiscalState& s = c.state;
  if (!Selling(s) || s.coupon->items.size() >= kMaxItems) return c.Refuse(0, kSt2NotExecuted);
  const auto& a = c.args;
  if (!KnownTax(s, a[2])) return c.Refuse(0, kSt2RateNotProgrammed);
  auto quantity = QuantityField(a[3]);
  auto price = DigitField(a[4], 8);
  auto discount = DiscountField(a[5]);
  if (a[1].size() > kDescriptionSize || !quantity || !price || !discount || *quantity == 0 || *price == 0)
    return c.Refuse(0, kSt2FieldType);
  Item item{a[0], a[1], a[2], *quantity, *price, *discount, false};
  if (item.discount >= item.Gross()) return c.Refuse(0, kSt2NotExecuted);
  AddSaleLine(c, item);
}

void CancelItem(Command& c) {
  FiscalState& s = c.state;
  if (!Selling(s)) return c.Refuse(0, kSt2NotExecuted);
  const std::string& number = c.args[0];
  if (number.empty() || number.size() > 3 || !AllDigits(number)) return c.Refuse(0, kSt2FieldType);
  std::size_t index = static_cast<std::size_t>(std::stoi(number));
  auto& items = s.coupon->items;
  if (index == 0 || index > items.size() || items[index - 1].cancelled) return c.Refuse(0, kSt2CancelNotAllowed);
  Item& item = items[index - 1];
  item.cancelled = true;
  s.day.cancellations += item.Net();
  AddToBase(s.day, item.tax, -item.Net());
  c.Print(Columns("CANCELAMENTO ITEM " + Digits(static_cast<long long>(index), 3), "-" + Money(item.Net())));
}

void Surcharge(Command& c) {
  FiscalState& s = c.state;
  if (!Selling(s) || !s.coupon->HasLiveItems()) return c.Refuse(0, kSt2NotExecuted);
  auto amount = DigitField(c.args[0], 10);
  if (!amount || *amount == 0) return c.Refuse(0, kSt2FieldType);
  s.coupon->surcharge += *amount;
  s.day.surcharges += *amount;
  c.Print(Columns("ACR\xC9SCIMO", "+" + Money(*amount)));
}

void StartClosing(Command& c) {
  FiscalState& s = c.state;
  if (!Selling(s) || !s.coupon->HasLiveItems()) return c.Refuse(0, kSt2NotExecuted);
  const std::string& kind = c.args[0];
  const std::string& value = c.args[1];
  long long subtotal = s.coupon->Subtotal();
  std::optional<long long> amount;
  // An amount of discount or surcharge ("d", "a") in 14 digits; a
  // percentage ("D", "A") in four, "0000" for none.
  if (kind == "d" || kind == "a") {
    amount = DigitField(value, 14);
  } else if (kind == "D" || kind == "A") {
    if (auto percent = DigitField(value, 4); percent && *percent <= 10000) amount = subtotal * *percent / 10000;
  }
  if (!amount) return c.Refuse(0, kSt2FieldType);
  bool discount = kind == "d" || kind == "D";
  if (discount && *amount >= subtotal + s.coupon->surcharge) return c.Refuse(0, kSt2NotExecuted);

  Coupon& coupon = *s.coupon;
  std::string text = Rule() + Columns("SUBTOTAL R$", Money(subtotal));
  if (discount && *amount > 0) {
    coupon.discount += *amount;
    s.day.discounts += *amount;
    text += Columns("DESCONTO", "-" + Money(*amount));
  } else if (!discount && *amount > 0) {
    coupon.surcharge += *amount;
    s.day.surcharges += *amount;
    text += Columns("ACR\xC9SCIMO", "+" + Money(*amount));
  }
  coupon.phase = CouponPhase::Paying;
  c.Print(text + Columns("TOTAL R$", Money(coupon.Total())));
}

void Pay(Command& c) {
  FiscalState& s = c.state;
  if (!Paying(s) || s.coupon->Paid() >= s.coupon->Total()) return c.Refuse(0, kSt2NotExecuted);
  auto method = DigitField(c.args[0], 2);
  auto amount = DigitField(c.args[1], 14);
  if (!method || !amount || *amount == 0) return c.Refuse(0, kSt2FieldType);
  if (*method < 1 || static_cast<std::size_t>(*method) > s.methods.size()) return c.Refuse(0, kSt2NotExecuted);
  int number = static_cast<int>(*method);
  s.coupon->payments.push_back(Payment{number, *amount});
  s.day.AddMethod(number, *amount);
  c.Print(Columns(s.methods[static_cast<std::size_t>(number - 1)], Money(*amount)));
}

void EndClosing(Command& c) {
  FiscalState& s = c.state;
  if (!Paying(s) || s.coupon->Paid() < s.coupon->Total()) return c.Refuse(0, kSt2NotExecuted);
  std::string footer = Wrapped(c.args[0]);
  if (LineCount(footer) > kFooterLines) return c.Refuse(0, kSt2FieldType);
  Coupon& coupon = *s.coupon;
  std::string text;
  if (long long change = coupon.Change(); change > 0) {
    s.day.change += change;
    text += Columns("TROCO R$", Money(change));
  }
  coupon.phase = CouponPhase::Closed;
  c.Print(text + Rule() + footer + FiscalTrailer(s, c.now));
}

void CancelCoupon(Command& c) {
  FiscalState& s = c.state;
  if (!s.coupon || s.open_doc != OpenDoc::None) return c.Refuse(0, kSt2CancelNotAllowed);
  Coupon coupon = *s.coupon;
  bool was_open = coupon.phase != CouponPhase::Closed;
  for (const Item& item : coupon.items)
    if (!item.cancelled) AddToBase(s.day, item.tax, -item.Net());
  for (const Payment& p : coupon.payments) s.day.AddMethod(p.method, -p.amount);
  if (!was_open) s.day.change -= coupon.Change();
  s.day.cancellations += coupon.Total();
  s.day.cancelled_coupons += 1;
  s.coupon.reset();

  std::string text;
  if (was_open) text += Columns("CUPOM CANCELADO", "-" + Money(coupon.Total())) + FiscalTrailer(s, c.now);
  int coo = s.NextDocument();
  text += DocumentHeader(s, c.now, coo, "CUPOM CANCELADO") + Rule() +
          Columns("COO DO CUPOM CANCELADO", Digits(coupon.coo, 6)) +
          Columns("VALOR CANCELADO R$", Money(coupon.Total())) + FiscalTrailer(s, c.now);
  c.Print(text);
}

}  // namespace mp20emu
