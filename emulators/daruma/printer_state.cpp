// The fiscal memory as a text file: one record per line, "key|field|...",
// with '%', '|' and control bytes as %XX. A file that does not read back
// whole is refused, never half taken.
#include "emulators/daruma/printer_state.h"

#include <charconv>
#include <cstdio>
#include <sstream>

namespace daremu {

namespace {

constexpr const char* kMagic = "FS345-STATE|1";

std::string Escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == '%' || c == '|' || c >= 0x7F) {
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

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = line.find('|', start);
    fields.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return fields;
}

bool Number(const std::string& text, long long& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "|" : "") + Escape(fields[i]);
  return line + "\n";
}

void CouponLines(std::string& out, const char* key, const Coupon& c) {
  out += Line({key, std::to_string(c.coo), std::to_string(static_cast<int>(c.phase)),
               std::to_string(c.discount), std::to_string(c.paid)});
  for (const Item& i : c.items)
    out += Line({std::string(key) + ".item", i.code, i.description, std::string(1, i.tax),
                 std::to_string(i.quantity), std::to_string(i.price), std::to_string(i.discount),
                 i.cancelled ? "1" : "0"});
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
  std::string out = std::string(kMagic) + "\n";
  out += Line({"model", std::to_string(s.model)});
  out += Line({"identity", s.ecf, s.serial});
  out += Line({"day", s.fiscal_day ? std::to_string(*s.fiscal_day) : ""});
  out += Line({"counters", std::to_string(s.coo), std::to_string(s.reductions),
               std::to_string(s.x_readings), std::to_string(s.grand_total),
               std::to_string(s.day_sales), std::to_string(s.day_supplies),
               std::to_string(s.day_withdrawals), std::to_string(static_cast<int>(s.open))});
  for (const Rate& r : s.rates) out += Line({"rate", std::string(1, r.code), std::to_string(r.hundredths)});
  for (const auto& t : s.signed_totalizers) out += Line({"signed", t});
  for (const auto& t : s.named_totalizers) out += Line({"named", t});
  for (const Method& m : s.methods)
    out += Line({"method", std::string(1, m.flag), m.name, std::to_string(m.day_amount)});
  if (s.coupon) CouponLines(out, "coupon", *s.coupon);
  if (s.last_coupon) CouponLines(out, "last", *s.last_coupon);
  return out + "end\n";
}

std::optional<PrinterState> ParseState(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) return std::nullopt;
  PrinterState s;
  s.methods.clear();
  bool ended = false;
  while (std::getline(in, line)) {
    if (line == "end") {
      ended = true;
      break;
    }
    std::vector<std::string> f = Split(line);
    for (auto& field : f)
      if (!Unescape(std::string(field), field)) return std::nullopt;
    const std::string& key = f[0];
    std::vector<long long> n(f.size(), 0);
    const auto numbers = [&](std::size_t from, std::size_t count) {
      if (f.size() < from + count) return false;
      for (std::size_t i = from; i < from + count; ++i)
        if (!Number(f[i], n[i])) return false;
      return true;
    };
    if (key == "model" && numbers(1, 1)) {
      s.model = static_cast<int>(n[1]);
    } else if (key == "identity" && f.size() == 3) {
      s.ecf = f[1];
      s.serial = f[2];
    } else if (key == "day" && f.size() == 2) {
      if (!f[1].empty()) {
        if (!numbers(1, 1)) return std::nullopt;
        s.fiscal_day = static_cast<int>(n[1]);
      }
    } else if (key == "counters" && numbers(1, 8)) {
      s.coo = static_cast<int>(n[1]);
      s.reductions = static_cast<int>(n[2]);
      s.x_readings = static_cast<int>(n[3]);
      s.grand_total = n[4];
      s.day_sales = n[5];
      s.day_supplies = n[6];
      s.day_withdrawals = n[7];
      s.open = static_cast<Document>(n[8]);
    } else if (key == "rate" && f.size() == 3 && f[1].size() == 1 && numbers(2, 1)) {
      s.rates.push_back({f[1][0], static_cast<int>(n[2])});
    } else if (key == "signed" && f.size() == 2) {
      s.signed_totalizers.push_back(f[1]);
    } else if (key == "named" && f.size() == 2) {
      s.named_totalizers.push_back(f[1]);
    } else if (key == "method" && f.size() == 4 && f[1].size() == 1 && numbers(3, 1)) {
      s.methods.push_back({f[1][0], f[2], n[3]});
    } else if ((key == "coupon" || key == "last") && numbers(1, 4)) {
      Coupon c{static_cast<int>(n[1]), static_cast<Phase>(n[2]), {}, n[3], n[4]};
      (key == "coupon" ? s.coupon : s.last_coupon) = c;
    } else if ((key == "coupon.item" || key == "last.item") && f.size() == 8 && f[3].size() == 1 &&
               numbers(4, 3)) {
      std::optional<Coupon>& c = key == "coupon.item" ? s.coupon : s.last_coupon;
      if (!c) return std::nullopt;
      c->items.push_back({f[1], f[2], f[3][0], n[4], n[5], n[6], f[7] == "1"});
    } else {
      return std::nullopt;
    }
  }
  if (!ended) return std::nullopt;
  return s;
}

}  // namespace daremu
