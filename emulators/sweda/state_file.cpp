#include "emulators/sweda/state_file.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace swdemu {

namespace {

constexpr const char* kMagic = "SERSWEDA-STATE|1";

// shared candidate: the record escaping of the Bematech emulator's state file.
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

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size() ||
        std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr != text.data() + i + 3)
      throw std::runtime_error("bad escape");
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

class Writer {
 public:
  template <typename... Fields>
  void Record(const std::string& key, const Fields&... fields) {
    text_ += Escape(key);
    ((text_ += "|" + Escape(Text(fields))), ...);
    text_ += "\n";
  }
  std::string text_;

 private:
  static std::string Text(const std::string& s) { return s; }
  static std::string Text(const char* s) { return s; }
  static std::string Text(char c) { return std::string(1, c); }
  static std::string Text(bool b) { return b ? "1" : "0"; }
  static std::string Text(int n) { return std::to_string(n); }
  static std::string Text(long long n) { return std::to_string(n); }
  static std::string Text(std::size_t n) { return std::to_string(n); }
};

long long Number(const std::string& text) {
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) throw std::runtime_error("bad number");
  return value;
}

int Int(const std::string& text) { return static_cast<int>(Number(text)); }

std::size_t Index(const std::string& text, std::size_t size) {
  const long long i = Number(text);
  if (i < 0 || static_cast<std::size_t>(i) >= size) throw std::runtime_error("bad index");
  return static_cast<std::size_t>(i);
}

}  // namespace

std::string SerializeState(const PrinterState& s) {
  Writer w;
  w.text_ = std::string(kMagic) + "\n";
  w.Record("model", s.model);
  w.Record("identity", s.ecf, s.serial);
  w.Record("day", s.fiscal_day, s.day_open);
  w.Record("counters", s.coo, s.reductions, s.x_readings, s.cancelled_coupons);
  w.Record("totals", s.grand_total, s.day_gross, s.day_cancelled, s.day_discounts);
  for (std::size_t i = 0; i < kRates; ++i)
    if (!s.rates[i].empty()) w.Record("rate", i, s.rates[i]);
  for (std::size_t i = 0; i < kMethods; ++i)
    if (!s.methods[i].name.empty()) w.Record("method", i, s.methods[i].flag, s.methods[i].name, s.method_amounts[i]);
  for (std::size_t i = 0; i < kTotalizers; ++i)
    if (!s.totalizers[i].empty()) w.Record("totalizer", i, s.totalizers[i], s.totalizer_amounts[i]);
  w.Record("documents", s.coupon_open, s.report_open, s.check_in_progress, s.check_format);
  if (s.coupon) {
    w.Record("coupon", s.coupon->coo, s.coupon->paying, s.coupon->paid);
    for (const SaleItem& item : s.coupon->items)
      w.Record("item", item.code, item.description, item.tax, item.quantity, item.unit_price, item.total,
               item.discount, item.cancelled);
  }
  w.Record("end");
  return w.text_;
}

std::optional<PrinterState> ParseState(const std::string& text) {
  try {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kMagic) return std::nullopt;
    PrinterState s;
    s.methods = {};
    bool ended = false;
    while (std::getline(in, line)) {
      std::vector<std::string> f;
      std::size_t start = 0;
      for (;;) {
        const std::size_t bar = line.find('|', start);
        f.push_back(Unescape(line.substr(start, bar - start)));
        if (bar == std::string::npos) break;
        start = bar + 1;
      }
      const std::string& key = f[0];
      const auto need = [&f](std::size_t n) {
        if (f.size() != n + 1) throw std::runtime_error("bad record");
      };
      if (key == "model") need(1), s.model = Int(f[1]);
      else if (key == "identity") need(2), s.ecf = f[1], s.serial = f[2];
      else if (key == "day") need(2), s.fiscal_day = Int(f[1]), s.day_open = f[2] == "1";
      else if (key == "counters")
        need(4), s.coo = Int(f[1]), s.reductions = Int(f[2]), s.x_readings = Int(f[3]), s.cancelled_coupons = Int(f[4]);
      else if (key == "totals")
        need(4), s.grand_total = Number(f[1]), s.day_gross = Number(f[2]), s.day_cancelled = Number(f[3]),
            s.day_discounts = Number(f[4]);
      else if (key == "rate") need(2), s.rates[Index(f[1], kRates)] = f[2];
      else if (key == "method") {
        need(4);
        const std::size_t i = Index(f[1], kMethods);
        s.methods[i] = Method{f[2].empty() ? 'S' : f[2][0], f[3]};
        s.method_amounts[i] = Number(f[4]);
      } else if (key == "totalizer") {
        need(3);
        const std::size_t i = Index(f[1], kTotalizers);
        s.totalizers[i] = f[2];
        s.totalizer_amounts[i] = Number(f[3]);
      } else if (key == "documents")
        need(4), s.coupon_open = f[1] == "1", s.report_open = f[2] == "1", s.check_in_progress = f[3] == "1",
            s.check_format = f[4];
      else if (key == "coupon") need(3), s.coupon = Coupon{Int(f[1]), f[2] == "1", {}, Number(f[3])};
      else if (key == "item") {
        need(8);
        if (!s.coupon) return std::nullopt;
        s.coupon->items.push_back(SaleItem{f[1], f[2], f[3], Number(f[4]), Number(f[5]), Number(f[6]),
                                           Number(f[7]), f[8] == "1"});
      } else if (key == "end") ended = true;
      else return std::nullopt;
    }
    if (!ended || s.model < 3 || s.model > 6) return std::nullopt;
    return s;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool SaveStateFile(const PrinterState& state, const std::string& path) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << SerializeState(state);
    out.flush();
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

LoadResult LoadStateFile(const std::string& path, PrinterState& state) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return access(path.c_str(), F_OK) == 0 ? LoadResult::Unreadable : LoadResult::Missing;
  std::ostringstream text;
  text << in.rdbuf();
  std::optional<PrinterState> loaded = ParseState(text.str());
  if (!loaded) return LoadResult::Unreadable;
  state = std::move(*loaded);
  return LoadResult::Loaded;
}

}  // namespace swdemu
