// The fiscal memory in the emulators' state file format (records.h).
#include "emulators/daruma/printer_state.h"

#include <stdexcept>

#include "emulators/common/records.h"

namespace daremu {

namespace {

constexpr const char* kFormat = "FS345-STATE|1";

std::string Letter(char c) { return std::string(1, c); }

char OneLetter(const std::string& text) {
  if (text.size() != 1) throw std::runtime_error("not one letter");
  return text[0];
}

void CouponLines(std::string& out, const std::string& key, const Coupon& c) {
  out += (emu::Record(key) << c.coo << static_cast<int>(c.phase) << c.discount << c.paid).Line();
  for (const Item& i : c.items)
    out += (emu::Record(key + ".item") << i.code << i.description << Letter(i.tax) << i.quantity << i.price
                                       << i.discount << (i.cancelled ? 1 : 0))
               .Line();
  for (const Payment& p : c.payments)
    out += (emu::Record(key + ".payment") << static_cast<long long>(p.method) << p.amount).Line();
}

Coupon ReadCoupon(const emu::RecordFields& f) {
  return Coupon{f.Int(0), static_cast<Phase>(f.Int(1)), {}, f.Number(2), f.Number(3), {}};
}

}  // namespace

PrinterState FactoryState(int model) {
  PrinterState s;
  s.model = model;
  if (model == 8) s.serial = "DR8345";
  s.rates = {{'A', 1800}, {'B', 1200}, {'C', 700}, {'s', 500}};
  s.methods = {{'N', "Dinheiro", 0}};
  return s;
}

std::string SerializeState(const PrinterState& s) {
  std::string out;
  out += (emu::Record("model") << s.model).Line();
  out += (emu::Record("identity") << s.ecf << s.serial).Line();
  out += (emu::Record("day") << (s.fiscal_day ? std::to_string(*s.fiscal_day) : std::string())).Line();
  out += (emu::Record("counters") << s.coo << s.reductions << s.x_readings << s.grand_total << s.day_sales
                                  << s.day_supplies << s.day_withdrawals << static_cast<int>(s.open))
             .Line();
  for (const Rate& r : s.rates) out += (emu::Record("rate") << Letter(r.code) << r.hundredths).Line();
  for (const auto& t : s.signed_totalizers) out += (emu::Record("signed") << t).Line();
  for (const auto& t : s.named_totalizers) out += (emu::Record("named") << t).Line();
  for (const Method& m : s.methods) out += (emu::Record("method") << Letter(m.flag) << m.name << m.day_amount).Line();
  if (s.coupon) CouponLines(out, "coupon", *s.coupon);
  if (s.last_coupon) CouponLines(out, "last", *s.last_coupon);
  return emu::StateText(kFormat, out);
}

std::optional<PrinterState> ParseState(const std::string& text) {
  PrinterState s;
  s.methods.clear();
  const bool read = emu::ReadStateText(text, kFormat, [&s](const std::string& key, const emu::RecordFields& f) {
    if (key == "model") {
      s.model = f.Int(0);
    } else if (key == "identity") {
      s.ecf = f.Text(0);
      s.serial = f.Text(1);
    } else if (key == "day") {
      s.fiscal_day = f.Day(0);
    } else if (key == "counters") {
      s.coo = f.Int(0);
      s.reductions = f.Int(1);
      s.x_readings = f.Int(2);
      s.grand_total = f.Number(3);
      s.day_sales = f.Number(4);
      s.day_supplies = f.Number(5);
      s.day_withdrawals = f.Number(6);
      s.open = static_cast<Document>(f.Int(7));
    } else if (key == "rate") {
      s.rates.push_back({OneLetter(f.Text(0)), f.Int(1)});
    } else if (key == "signed") {
      s.signed_totalizers.push_back(f.Text(0));
    } else if (key == "named") {
      s.named_totalizers.push_back(f.Text(0));
    } else if (key == "method") {
      s.methods.push_back({OneLetter(f.Text(0)), f.Text(1), f.Number(2)});
    } else if (key == "coupon" || key == "last") {
      (key == "coupon" ? s.coupon : s.last_coupon) = ReadCoupon(f);
    } else if (key == "coupon.payment" || key == "last.payment") {
      std::optional<Coupon>& c = key == "coupon.payment" ? s.coupon : s.last_coupon;
      if (!c || f.Number(0) < 0) throw std::runtime_error("payment before its coupon");
      c->payments.push_back({static_cast<std::size_t>(f.Number(0)), f.Number(1)});
    } else if (key == "coupon.item" || key == "last.item") {
      std::optional<Coupon>& c = key == "coupon.item" ? s.coupon : s.last_coupon;
      if (!c) throw std::runtime_error("item before its coupon");
      c->items.push_back(
          {f.Text(0), f.Text(1), OneLetter(f.Text(2)), f.Number(3), f.Number(4), f.Number(5), f.Int(6) == 1});
    } else {
      throw std::runtime_error("unknown record");
    }
  });
  if (!read) return std::nullopt;
  return s;
}

}  // namespace daremu
