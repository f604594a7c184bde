#include "emulators/bematech/state_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace mp20emu {

namespace {

constexpr const char* kMagic = "MP20FI-STATE|1";

std::string Escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == '%' || c == '|' || c == 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool Unescape(const std::string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (ec != std::errc() || end != text.data() + i + 3) return false;
    out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

class Record {
 public:
  explicit Record(std::string key) { text_ = Escape(key); }
  Record& operator<<(const std::string& field) {
    text_ += "|" + Escape(field);
    return *this;
  }
  Record& operator<<(const char* field) { return *this << std::string(field); }
  Record& operator<<(long long value) { return *this << std::to_string(value); }
  Record& operator<<(int value) { return *this << std::to_string(value); }
  std::string Line() const { return text_ + "\n"; }

 private:
  std::string text_;
};

std::string DayField(const std::optional<int>& day) { return day ? std::to_string(*day) : std::string(); }

const char* PhaseName(CouponPhase phase) {
  switch (phase) {
    case CouponPhase::Selling: return "selling";
    case CouponPhase::Paying: return "paying";
    case CouponPhase::Closed: return "closed";
  }
  return "closed";
}

const char* DocName(OpenDoc doc) {
  switch (doc) {
    case OpenDoc::None: return "none";
    case OpenDoc::Report: return "report";
    case OpenDoc::Voucher: return "voucher";
  }
  return "none";
}

template <typename T>
Record List(const std::string& key, const std::vector<T>& values) {
  Record r(key);
  for (const T& v : values) r << v;
  return r;
}

void WriteTotals(std::string& out, const std::string& prefix, const DayTotals& t) {
  out += (Record(prefix) << t.first_coo << t.last_coo << t.gross << t.cancellations << t.discounts
                         << t.surcharges << t.change << t.supplies << t.withdrawals << t.substitution
                         << t.exempt << t.untaxed << t.cancelled_coupons)
             .Line();
  out += List(prefix + "_rates", std::vector<long long>(t.rate_base.begin(), t.rate_base.end())).Line();
  out += List(prefix + "_methods", t.method_amounts).Line();
  out += List(prefix + "_tcounts", t.totalizer_counts).Line();
  out += List(prefix + "_tamounts", t.totalizer_amounts).Line();
}

// Reading side: fields of one record, each taken in order.
class Fields {
 public:
  explicit Fields(std::vector<std::string> f) : f_(std::move(f)) {}
  std::size_t size() const { return f_.size(); }
  std::string Text(std::size_t i) const {
    if (i >= f_.size()) throw std::runtime_error("short record");
    return f_[i];
  }
  long long Number(std::size_t i) const {
    std::string t = Text(i);
    long long v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) throw std::runtime_error("bad number");
    return v;
  }
  int Int(std::size_t i) const { return static_cast<int>(Number(i)); }
  std::optional<int> Day(std::size_t i) const {
    if (Text(i).empty()) return std::nullopt;
    return Int(i);
  }
  template <typename T>
  std::vector<T> All() const {
    std::vector<T> values;
    for (std::size_t i = 0; i < f_.size(); ++i) values.push_back(static_cast<T>(Number(i)));
    return values;
  }

 private:
  std::vector<std::string> f_;
};

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

using Reader = std::function<void(FiscalState&, const Fields&)>;

void AddTotalsReaders(std::map<std::string, Reader>& readers, const std::string& p) {
  readers[p] = [p](FiscalState& s, const Fields& f) {
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
  };
  readers[p + "_rates"] = [p](FiscalState& s, const Fields& f) {
    auto values = f.All<long long>();
    if (values.size() != kMaxRates) throw std::runtime_error("rates");
    std::copy(values.begin(), values.end(), TotalsFor(s, p).rate_base.begin());
  };
  readers[p + "_methods"] = [p](FiscalState& s, const Fields& f) {
    if (f.size() > kMaxMethods) throw std::runtime_error("methods");
    TotalsFor(s, p).method_amounts = f.All<long long>();
  };
  readers[p + "_tcounts"] = [p](FiscalState& s, const Fields& f) {
    if (f.size() > kMaxTotalizers) throw std::runtime_error("totalizers");
    TotalsFor(s, p).totalizer_counts = f.All<int>();
  };
  readers[p + "_tamounts"] = [p](FiscalState& s, const Fields& f) {
    if (f.size() > kMaxTotalizers) throw std::runtime_error("totalizers");
    TotalsFor(s, p).totalizer_amounts = f.All<long long>();
  };
}

const std::map<std::string, Reader>& Readers() {
  static const std::map<std::string, Reader> readers = [] {
    std::map<std::string, Reader> r;
    r["identity"] = [](FiscalState& s, const Fields& f) {
      s.printer_number = f.Text(0);
      s.serial = f.Text(1);
    };
    r["fiscal_day"] = [](FiscalState& s, const Fields& f) {
      s.fiscal_day = f.Day(0);
      s.last_reduction_day = f.Day(1);
    };
    r["counters"] = [](FiscalState& s, const Fields& f) {
      s.reductions = f.Int(0);
      s.coo = f.Int(1);
      s.restarts = f.Int(2);
      s.non_fiscal = f.Int(3);
      s.x_readings = f.Int(4);
      s.grand_total = f.Number(5);
    };
    r["rate"] = [](FiscalState& s, const Fields& f) {
      s.rates.push_back(Rate{f.Int(0), f.Text(1) == "S"});
    };
    r["totalizer"] = [](FiscalState& s, const Fields& f) { s.totalizers.push_back(f.Text(0)); };
    r["method"] = [](FiscalState& s, const Fields& f) { s.methods.push_back(f.Text(0)); };
    r["open_doc"] = [](FiscalState& s, const Fields& f) {
      std::string d = f.Text(0);
      s.open_doc = d == "report" ? OpenDoc::Report : d == "voucher" ? OpenDoc::Voucher : OpenDoc::None;
    };
    r["coupon"] = [](FiscalState& s, const Fields& f) {
      Coupon c;
      c.coo = f.Int(0);
      std::string phase = f.Text(1);
      c.phase = phase == "selling" ? CouponPhase::Selling : phase == "paying" ? CouponPhase::Paying : CouponPhase::Closed;
      c.surcharge = f.Number(2);
      c.discount = f.Number(3);
      s.coupon = c;
    };
    r["item"] = [](FiscalState& s, const Fields& f) {
      Item i{f.Text(0), f.Text(1), f.Text(2), f.Number(3), f.Number(4), f.Number(5), f.Text(6) == "1"};
      if (!ValidTaxCode(i.tax) || i.quantity <= 0 || i.unit_price <= 0 || i.discount < 0)
        throw std::runtime_error("item");
      CurrentCoupon(s).items.push_back(i);
    };
    r["payment"] = [](FiscalState& s, const Fields& f) {
      Payment p{f.Int(0), f.Number(1)};
      if (p.method < 1 || static_cast<std::size_t>(p.method) > kMaxMethods) throw std::runtime_error("payment");
      CurrentCoupon(s).payments.push_back(p);
    };
    r["reduction"] = [](FiscalState& s, const Fields& f) {
      s.reduction_log.push_back(Reduction{f.Int(0), f.Int(1), f.Int(2), f.Number(3), f.Number(4)});
    };
    r["table"] = [](FiscalState& s, const Fields& f) {
      s.tables.push_back(TableItem{f.Text(0), f.Text(1), f.Text(2), f.Number(3), f.Number(4)});
    };
    AddTotalsReaders(r, "day");
    AddTotalsReaders(r, "lastz");
    return r;
  }();
  return readers;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t bar = line.find('|', start);
    parts.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return parts;
}

}  // namespace

std::string SerializeState(const FiscalState& s) {
  std::string out = std::string(kMagic) + "\n";
  out += (Record("identity") << s.printer_number << s.serial).Line();
  out += (Record("fiscal_day") << DayField(s.fiscal_day) << DayField(s.last_reduction_day)).Line();
  out += (Record("counters") << s.reductions << s.coo << s.restarts << s.non_fiscal << s.x_readings
                             << s.grand_total)
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
    out += (Record("table") << t.table << t.code << t.description << t.quantity << t.unit_price).Line();
  out += "end\n";
  return out;
}

std::optional<FiscalState> ParseState(const std::string& text) {
  FiscalState s;
  s.methods.clear();
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) return std::nullopt;
  bool ended = false;
  try {
    while (std::getline(in, line)) {
      if (line == "end") {
        ended = true;
        break;
      }
      std::vector<std::string> raw = Split(line);
      std::vector<std::string> fields;
      for (std::size_t i = 1; i < raw.size(); ++i) {
        std::string value;
        if (!Unescape(raw[i], value)) return std::nullopt;
        fields.push_back(value);
      }
      auto reader = Readers().find(raw[0]);
      if (reader == Readers().end()) return std::nullopt;
      reader->second(s, Fields(std::move(fields)));
    }
  } catch (const std::exception&) {
    return std::nullopt;
  }
  bool tables_fit = s.rates.size() <= kMaxRates && s.totalizers.size() <= kMaxTotalizers &&
                    !s.methods.empty() && s.methods.size() <= kMaxMethods &&
                    s.day.totalizer_counts.size() == s.day.totalizer_amounts.size();
  if (!ended || !tables_fit || s.coo < 0 || s.reductions < 0) return std::nullopt;
  return s;
}

bool SaveStateFile(const FiscalState& state, const std::string& path) {
  std::string text = SerializeState(state);
  std::string temporary = path + ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  bool ok = written == text.size();
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

LoadResult LoadStateFile(const std::string& path, FiscalState& state) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return ::access(path.c_str(), F_OK) == 0 ? LoadResult::Unreadable : LoadResult::Missing;
  std::ostringstream text;
  text << file.rdbuf();
  std::optional<FiscalState> loaded = ParseState(text.str());
  if (!loaded) return LoadResult::Unreadable;
  state = std::move(*loaded);
  return LoadResult::Loaded;
}

}  // namespace mp20emu
