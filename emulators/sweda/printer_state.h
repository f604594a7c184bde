// What the Sweda printer keeps in its memory: model, identity, the fiscal
// day and its totals, counters, the three tables, and the document being
// printed. Money in cents, quantities in thousandths.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace swdemu {

inline constexpr std::size_t kRates = 15;
inline constexpr std::size_t kMethods = 10;
inline constexpr std::size_t kTotalizers = 50;
inline constexpr std::size_t kRateEntry = 7;  // code (3) and rate (4 digits)
inline constexpr std::size_t kMethodName = 15;
inline constexpr std::size_t kTotalizerEntry = 15;  // sign and name

struct SaleItem {
  std::string code;
  std::string description;
  std::string tax;
  long long quantity = 0;
  long long unit_price = 0;
  long long total = 0;
  long long discount = 0;
  bool cancelled = false;
};

struct Coupon {
  int coo = 0;
  bool paying = false;  // a payment was registered: no more items
  std::vector<SaleItem> items;
  long long paid = 0;

  long long Total() const;
};

enum class Document { None, Coupon, Report, Check };

struct Method {
  char flag = 'S';
  std::string name;  // up to 15 characters; empty: free slot
};

struct PrinterState {
  int model = 3;  // the type code this printer answers as
  std::string ecf = "001";
  std::string serial = "SW0012345";
  int fiscal_day = 0;     // day number of the fiscal day (the last one when closed)
  bool day_open = false;  // movement since the last Z reduction
  int coo = 0;
  int reductions = 0;
  int x_readings = 0;
  int cancelled_coupons = 0;
  long long grand_total = 0;
  long long day_gross = 0;
  long long day_cancelled = 0;
  long long day_discounts = 0;
  std::array<std::string, kRates> rates{};  // 7-character entries; empty: free
  std::array<Method, kMethods> methods{};
  std::array<std::string, kTotalizers> totalizers{};  // 15-character entries
  std::array<long long, kTotalizers> totalizer_amounts{};
  std::array<long long, kMethods> method_amounts{};
  std::optional<Coupon> coupon;  // open, or the last one while it may be cancelled
  bool coupon_open = false;
  bool report_open = false;
  bool check_in_progress = false;
  std::string check_format;

  Document Open() const;
};

// Factory defaults: identity, "Dinheiro", four tax rates, no totalizers.
PrinterState FactoryState();

}  // namespace swdemu
