// What the Daruma printer keeps in its memory: model, identity, the fiscal
// day and its totals, counters, tables, and the document being printed.
// Money in cents, quantities in hundredths.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace daremu {

inline constexpr std::size_t kRateSlots = 16;
inline constexpr std::size_t kSignedSlots = 16;
inline constexpr std::size_t kNamedSlots = 15;
inline constexpr std::size_t kMethodSlots = 16;
inline constexpr std::size_t kTotalizerName = 21;
inline constexpr std::size_t kMethodName = 16;

struct Rate {
  char code = 0;       // upper case: goods; lower case: services
  int hundredths = 0;  // 1800 = 18,00%
};

struct Item {
  std::string code;
  std::string description;
  char tax = 'F';
  long long quantity = 0;  // hundredths
  long long price = 0;
  long long discount = 0;
  bool cancelled = false;

  long long Gross() const { return quantity * price / 100; }
  long long Net() const { return Gross() - discount; }
};

enum class Phase { Selling, Totalled, Paying };

// One payment of the coupon: the method's place and the amount.
struct Payment {
  std::size_t method = 0;
  long long amount = 0;
};

struct Coupon {
  int coo = 0;
  Phase phase = Phase::Selling;
  std::vector<Item> items;
  long long discount = 0;
  long long paid = 0;
  std::vector<Payment> payments;

  long long Subtotal() const {
    long long total = 0;
    for (const Item& item : items)
      if (!item.cancelled) total += item.Net();
    return total;
  }
  long long Total() const { return Subtotal() - discount; }
};

enum class Document { None = 0, Coupon = 1, Report = 2 };

struct Method {
  char flag = 'N';  // 'V': a credit note may be issued
  std::string name;
  long long day_amount = 0;
};

struct PrinterState {
  int model = 7;
  std::string ecf = "0001";
  std::string serial = "DR345071";
  std::optional<int> fiscal_day;
  int coo = 0;
  int reductions = 0;
  int x_readings = 0;
  long long grand_total = 0;
  long long day_sales = 0;
  long long day_supplies = 0;
  long long day_withdrawals = 0;
  std::vector<Rate> rates;
  std::vector<std::string> signed_totalizers;  // sign and 21-character name
  std::vector<std::string> named_totalizers;   // 21-character name
  std::vector<Method> methods;
  std::optional<Coupon> coupon;       // open coupon
  std::optional<Coupon> last_coupon;  // cancellable while nothing follows it
  Document open = Document::None;

  bool CouponOpen() const { return open == Document::Coupon && coupon.has_value(); }
  int NextDocument() {
    last_coupon.reset();
    return ++coo;
  }
};

PrinterState FactoryState(int model);

std::string SerializeState(const PrinterState& state);
std::optional<PrinterState> ParseState(const std::string& text);

}  // namespace daremu
