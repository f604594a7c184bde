#include "emulators/bematech/state_file.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

#include "emulators/common/records.h"

namespace mp20emu {

namespace {

using emu::Record;
using emu::RecordFields;

constexpr const char* kMagic = "MP20FI-STATE|1";

std::string DayField(const std::optional<int>& day) { return day ? std::to_string(*day) : std::string(); }

const char* PhaseName(CouponPhase phase) {
  switch (phase) {
    case CouponPhase::Selling:
      return "selling";
    case CouponPhase::Paying:
      return "paying";
    case CouponPhase::Closed:
      return "closed";
  }
  return "closed";
}

const char* DocName(OpenDoc doc) {
  switch (doc) {
    case OpenDoc::None:
      return "none";
    case OpenDoc::Report:
      return "report";
    case OpenDoc::Voucher:
      return "voucher";
  }
  return "none";
}

void WriteTotals(std::string& out, const std::string& prefix, const DayTotals& t) {
  out += (Record(prefix) << t.first_coo << t.last_coo << t.gross << t.cancellations << t.discounts << t.surcharges
                         << t.change << t.supplies << t.withdrawals << t.substitution << t.exempt << t.untaxed
                         << t.cancelled_coupons << t.supply_count << t.withdrawal_count)
             .Line();
  out += Record::List(prefix + "_rates", std::vector<long long>(t.rate_base.begin(), t.rate_base.end())).Line();
  out += Record::List(prefix + "_methods", t.method_amounts).Line();
  out += Record::List(prefix + "_tcounts", t.totalizer_counts).Line();
  out += Record::List(prefix + "_tamounts", t.totalizer_amounts).Line();
}

DayTotals& TotalsFor(FiscalState& s, const std::string& prefix) {
  if (prefix == "day") return s.day;
  if (!s.last_z_totals) s.last_z_totals.emplace();
  return *s.last_z_totals;
}

Coupon& CurrentCoupon(FiscalState& s) {
  if (!s.coupon) throw std::runtime_error("line of no coupon");
  return *s.coupon;
}

bool ValidTaxCode(const std::string& tax) {
  if (tax == "FF" || tax == "II" || tax == "NN") return true;
  return tax.size() == 2 && tax >= "01" && tax <= "16" && std::isdigit(static_cast<unsigned char>(tax[1]));
}

using Reader = std::function<void(FiscalState&, const RecordFields&)>;

void AddTotalsReaders(std::map<std::string, Reader>& readers, const std::string& p) {
  readers[p] = [p](FiscalState& s, const RecordFields& f) {
    DayTotals& t = TotalsFor(s, p);
    t.first_coo = f.Int(0);
    t.last_coo = f.Int(1);
    t.gross = f.Number(2);
    t.cancellations = f.Number(3);
    t.discounts = f.Number(4);
    t.surcharges = f.Number(5);
    t.change = f.Number(6);
    t.supplies = f.Number(7);
    t.withdrawals = f.Number(8);
    t.substitution = f.Number(9);
    t.exempt = f.Number(10);
    t.untaxed = f.Number(11);
    t.cancelled_coupons = f.Int(12);
    // Memories written before the receipts were counted have no counts.
    t.supply_count = f.size() > 13 ? f.Int(13) : 0;
    t.withdrawal_count = f.size() > 14 ? f.Int(14) : 0;
  };
  readers[p + "_rates"] = [p](FiscalState& s, const RecordFields& f) {
    auto values = f.All<long long>();
    if (values.size() != kMaxRates) throw std::runtime_error("rates");
    std::copy(values.begin(), values.end(), TotalsFor(s, p).rate_base.begin());
  };
  readers[p + "_methods"] = [p](FiscalState& s, const RecordFields& f) {
    if (f.size() > kMaxMethods) throw std::runtime_error("methods");
    TotalsFor(s, p).method_amounts = f.All<long long>();
  };
  readers[p + "_tcounts"] = [p](FiscalState& s, const RecordFields& f) {
    if (f.size() > kMaxTotalizers) throw std::runtime_error("totalizers");
    TotalsFor(s, p).totalizer_counts = f.All<int>();
  };
  readers[p + "_tamounts"] = [p](FiscalState& s, const RecordFields& f) {
    if (f.size() > kMaxTotalizers) throw std::runtime_error("totalizers");
    TotalsFor(s, p).totalizer_amounts = f.All<long long>();
  };
}

const std::map<std::string, Reader>& Readers() {
  static const std::map<std::string, Reader> readers = [] {
    std::map<std::string, Reader> r;
    r["identity"] = [](FiscalState& s, const RecordFields& f) {
      s.printer_number = f.Text(0);
      s.serial = f.Text(1);
    };
    r["fiscal_day"] = [](FiscalState& s, const RecordFields& f) {
      s.fiscal_day = f.Day(0);
      s.last_reduction_day = f.Day(1);
    };
    r["counters"] = [](FiscalState& s, const RecordFields& f) {
      s.reductions = f.Int(0);
      s.coo = f.Int(1);
      s.restarts = f.Int(2);
      s.non_fiscal = f.Int(3);
      s.x_readings = f.Int(4);
      s.grand_total = f.Number(5);
    };
    r["rate"] = [](FiscalState& s, const RecordFields& f) { s.rates.push_back(Rate{f.Int(0), f.Text(1) == "S"}); };
    r["totalizer"] = [](FiscalState& s, const RecordFields& f) { s.totalizers.push_back(f.Text(0)); };
    r["method"] = [](FiscalState& s, const RecordFields& f) { s.methods.push_back(f.Text(0)); };
    r["open_doc"] = [](FiscalState& s, const RecordFields& f) {
      std::string d = f.Text(0);
      s.open_doc = d == "report" ? OpenDoc::Report : d == "voucher" ? OpenDoc::Voucher : OpenDoc::None;
    };
    r["coupon"] = [](FiscalState& s, const RecordFields& f) {
      Coupon c;
      c.coo = f.Int(0);
      std::string phase = f.Text(1);
      c.phase = phase == "selling"  ? CouponPhase::Selling
                : phase == "paying" ? CouponPhase::Paying
                                    : CouponPhase::Closed;
      c.surcharge = f.Number(2);
      c.discount = f.Number(3);
      s.coupon = c;
    };
    r["item"] = [](FiscalState& s, const RecordFields& f) {
      Item i{f.Text(0), f.Text(1), f.Text(2), f.Number(3), f.Number(4), f.Number(5), f.Text(6) == "1"};
      if (!ValidTaxCode(i.tax) || i.quantity <= 0 || i.unit_price <= 0 || i.discount < 0)
        throw std::runtime_error("item");
      CurrentCoupon(s).items.push_back(i);
    };
    r["payment"] = [](FiscalState& s, const RecordFields& f) {
      Payment p{f.Int(0), f.Number(1)};
      if (p.method < 1 || static_cast<std::size_t>(p.method) > kMaxMethods) throw std::runtime_error("payment");
      CurrentCoupon(s).payments.push_back(p);
    };
    r["reduction"] = [](FiscalState& s, const RecordFields& f) {
      s.reduction_log.push_back(Reduction{f.Int(0), f.Int(1), f.Int(2), f.Number(3), f.Number(4)});
    };
    r["table"] = [](FiscalState& s, const RecordFields& f) {
      TableItem t{f.Text(0), f.Text(1), f.Text(2), f.Number(3), f.Number(4)};
      // Memories written before items kept their tax code hold five fields.
      if (f.size() > 5) {
        t.tax = f.Text(5);
        t.discount = f.Number(6);
      }
      if (!ValidTaxCode(t.tax) || t.quantity <= 0 || t.unit_price <= 0 || t.discount < 0)
        throw std::runtime_error("table item");
      s.tables.push_back(t);
    };
    r["closed_table"] = [](FiscalState& s, const RecordFields& f) { s.closed_tables.push_back(f.Text(0)); };
    AddTotalsReaders(r, "day");
    AddTotalsReaders(r, "lastz");
    return r;
  }();
  return readers;
}

}  // namespace

std::string SerializeState(const FiscalState& s) {
  std::string out;
  out += (Record("identity") << s.printer_number << s.serial).Line();
  out += (Record("fiscal_day") << DayField(s.fiscal_day) << DayField(s.last_reduction_day)).Line();
  out += (Record("counters") << s.reductions << s.coo << s.restarts << s.non_fiscal << s.x_readings << s.grand_total)
             .Line();
  for (const Rate& r : s.rates) out += (Record("rate") << r.hundredths << (r.service ? "S" : "T")).Line();
  for (const auto& t : s.totalizers) out += (Record("totalizer") << t).Line();
  for (const auto& m : s.methods) out += (Record("method") << m).Line();
  out += (Record("open_doc") << DocName(s.open_doc)).Line();
  if (s.coupon) {
    const Coupon& c = *s.coupon;
    out += (Record("coupon") << c.coo << PhaseName(c.phase) << c.surcharge << c.discount).Line();
    for (const Item& i : c.items)
      out += (Record("item") << i.code << i.description << i.tax << i.quantity << i.unit_price << i.discount
                             << (i.cancelled ? "1" : "0"))
                 .Line();
    for (const Payment& p : c.payments) out += (Record("payment") << p.method << p.amount).Line();
  }
  WriteTotals(out, "day", s.day);
  if (s.last_z_totals) WriteTotals(out, "lastz", *s.last_z_totals);
  for (const Reduction& r : s.reduction_log)
    out += (Record("reduction") << r.number << r.day << r.coo << r.gross << r.grand_total).Line();
  for (const TableItem& t : s.tables)
    out += (Record("table") << t.table << t.code << t.description << t.quantity << t.unit_price << t.tax << t.discount)
               .Line();
  for (const std::string& t : s.closed_tables) out += (Record("closed_table") << t).Line();
  return emu::StateText(kMagic, out);
}

std::optional<FiscalState> ParseState(const std::string& text) {
  FiscalState s;
  s.methods.clear();
  bool whole = emu::ReadStateText(text, kMagic, [&s](const std::string& key, const RecordFields& fields) {
    auto reader = Readers().find(key);
    if (reader == Readers().end()) throw std::runtime_error("unknown record " + key);
    reader->second(s, fields);
  });
  if (!whole) return std::nullopt;
  bool tables_fit = s.rates.size() <= kMaxRates && s.totalizers.size() <= kMaxTotalizers && !s.methods.empty() &&
                    s.methods.size() <= kMaxMethods && s.day.totalizer_counts.size() == s.day.totalizer_amounts.size();
  if (!tables_fit || s.coo < 0 || s.reductions < 0) return std::nullopt;
  return s;
}

}  // namespace mp20emu
