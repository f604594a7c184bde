#include "emulators/sweda/state_file.h"

#include <stdexcept>

#include "emulators/common/records.h"

namespace swdemu {

namespace {

constexpr const char* kFormat = "SERSWEDA-STATE|1";

using emu::Record;
using emu::RecordFields;

std::string Flag(bool value) { return value ? "1" : "0"; }

void Need(const RecordFields& f, std::size_t n) {
  if (f.size() != n) throw std::runtime_error("bad record");
}

std::size_t Index(const RecordFields& f, std::size_t size) {
  const long long i = f.Number(0);
  if (i < 0 || static_cast<std::size_t>(i) >= size) throw std::runtime_error("bad index");
  return static_cast<std::size_t>(i);
}

void Read(PrinterState& s, const std::string& key, const RecordFields& f) {
  if (key == "model") {
    Need(f, 1);
    s.model = f.Int(0);
  } else if (key == "identity") {
    Need(f, 2);
    s.ecf = f.Text(0);
    s.serial = f.Text(1);
  } else if (key == "day") {
    Need(f, 2);
    s.fiscal_day = f.Int(0);
    s.day_open = f.Text(1) == "1";
  } else if (key == "counters") {
    Need(f, 4);
    s.coo = f.Int(0);
    s.reductions = f.Int(1);
    s.x_readings = f.Int(2);
    s.cancelled_coupons = f.Int(3);
  } else if (key == "totals") {
    Need(f, 4);
    s.grand_total = f.Number(0);
    s.day_gross = f.Number(1);
    s.day_cancelled = f.Number(2);
    s.day_discounts = f.Number(3);
  } else if (key == "rate") {
    Need(f, 2);
    s.rates[Index(f, kRates)] = f.Text(1);
  } else if (key == "method") {
    Need(f, 4);
    const std::size_t i = Index(f, kMethods);
    s.methods[i] = Method{f.Text(1).empty() ? 'S' : f.Text(1)[0], f.Text(2)};
    s.method_amounts[i] = f.Number(3);
  } else if (key == "totalizer") {
    Need(f, 3);
    const std::size_t i = Index(f, kTotalizers);
    s.totalizers[i] = f.Text(1);
    s.totalizer_amounts[i] = f.Number(2);
  } else if (key == "documents") {
    Need(f, 4);
    s.coupon_open = f.Text(0) == "1";
    s.report_open = f.Text(1) == "1";
    s.check_in_progress = f.Text(2) == "1";
    s.check_format = f.Text(3);
  } else if (key == "coupon") {
    Need(f, 3);
    s.coupon = Coupon{f.Int(0), f.Text(1) == "1", {}, f.Number(2)};
  } else if (key == "item") {
    Need(f, 8);
    if (!s.coupon) throw std::runtime_error("item without coupon");
    s.coupon->items.push_back(SaleItem{f.Text(0), f.Text(1), f.Text(2), f.Number(3), f.Number(4), f.Number(5),
                                       f.Number(6), f.Text(7) == "1"});
  } else {
    throw std::runtime_error("unknown record " + key);
  }
}

}  // namespace

std::string SerializeState(const PrinterState& s) {
  std::string out;
  out += (Record("model") << s.model).Line();
  out += (Record("identity") << s.ecf << s.serial).Line();
  out += (Record("day") << s.fiscal_day << Flag(s.day_open)).Line();
  out += (Record("counters") << s.coo << s.reductions << s.x_readings << s.cancelled_coupons).Line();
  out += (Record("totals") << s.grand_total << s.day_gross << s.day_cancelled << s.day_discounts).Line();
  for (std::size_t i = 0; i < kRates; ++i)
    if (!s.rates[i].empty()) out += (Record("rate") << static_cast<int>(i) << s.rates[i]).Line();
  for (std::size_t i = 0; i < kMethods; ++i)
    if (!s.methods[i].name.empty())
      out += (Record("method") << static_cast<int>(i) << std::string(1, s.methods[i].flag) << s.methods[i].name
                               << s.method_amounts[i])
                 .Line();
  for (std::size_t i = 0; i < kTotalizers; ++i)
    if (!s.totalizers[i].empty())
      out += (Record("totalizer") << static_cast<int>(i) << s.totalizers[i] << s.totalizer_amounts[i]).Line();
  out +=
      (Record("documents") << Flag(s.coupon_open) << Flag(s.report_open) << Flag(s.check_in_progress) << s.check_format)
          .Line();
  if (s.coupon) {
    out += (Record("coupon") << s.coupon->coo << Flag(s.coupon->paying) << s.coupon->paid).Line();
    for (const SaleItem& item : s.coupon->items)
      out += (Record("item") << item.code << item.description << item.tax << item.quantity << item.unit_price
                             << item.total << item.discount << Flag(item.cancelled))
                 .Line();
  }
  return emu::StateText(kFormat, out);
}

std::optional<PrinterState> ParseState(const std::string& text) {
  PrinterState s;
  s.methods = {};
  const bool whole = emu::ReadStateText(
      text, kFormat, [&s](const std::string& key, const RecordFields& fields) { Read(s, key, fields); });
  if (!whole || s.model < 3 || s.model > 6) return std::nullopt;
  return s;
}

}  // namespace swdemu
