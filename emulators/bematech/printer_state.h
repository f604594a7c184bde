// What the fiscal printer keeps in its memory: identity, the fiscal day and
// its totals, counters, tables, and the document being printed.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mp20emu {

inline constexpr std::size_t kMaxRates = 16;
inline constexpr std::size_t kMaxTotalizers = 30;
inline constexpr std::size_t kMaxMethods = 20;
inline constexpr std::size_t kMaxItems = 999;
inline constexpr std::size_t kTotalizerNameSize = 19;
inline constexpr std::size_t kMethodNameSize = 16;
inline constexpr int kFiscalMemoryReductions = 1825;  // room for five years of days

struct Rate {
  int hundredths = 0;  // 1800 = 18,00%
  bool service = false;
};

// One sale line. Money in cents, quantities in thousandths.
struct Item {
  std::string code;
  std::string description;
  std::string tax;  // "01".."16", "FF", "II" or "NN"
  long long quantity = 0;
  long long unit_price = 0;
  long long discount = 0;
  bool cancelled = false;

  // Quantity times price, cut to the cent as the printer does.
  long long Gross() const { return quantity * unit_price / 1000; }
  long long Net() const { return Gross() - discount; }
};

struct Payment {
  int method = 0;  // 1-based
  long long amount = 0;
};

enum class CouponPhase { Selling, Paying, Closed };

// The fiscal coupon being sold, or the last one issued (phase Closed) while
// nothing else was printed after it, so that it can still be cancelled.
struct Coupon {
  int coo = 0;
  CouponPhase phase = CouponPhase::Selling;
  std::vector<Item> items;
  long long surcharge = 0;
  long long discount = 0;
  std::vector<Payment> payments;

  long long Subtotal() const;
  long long Total() const { return Subtotal() - discount + surcharge; }
  long long Paid() const;
  long long Change() const { return Paid() > Total() ? Paid() - Total() : 0; }
  bool HasLiveItems() const;
};

enum class OpenDoc { None, Report, Voucher };

// Totals of one fiscal day, cleared by the Z reduction.
struct DayTotals {
  int first_coo = 0;
  int last_coo = 0;
  long long gross = 0;
  long long cancellations = 0;
  long long discounts = 0;
  long long surcharges = 0;
  long long change = 0;
  long long supplies = 0;
  long long withdrawals = 0;
  int supply_count = 0;
  int withdrawal_count = 0;
  std::array<long long, kMaxRates> rate_base{};
  long long substitution = 0;  // "FF"
  long long exempt = 0;        // "II"
  long long untaxed = 0;       // "NN"
  int cancelled_coupons = 0;
  std::vector<long long> method_amounts;  // by method number - 1
  std::vector<int> totalizer_counts;      // by totalizer number - 1
  std::vector<long long> totalizer_amounts;

  long long Net() const { return gross - cancellations - discounts + surcharges; }
  void AddMethod(int method, long long amount);
  void AddTotalizer(int number, long long amount);
  void Touch(int coo);
};

// One Z reduction as the fiscal memory keeps it.
struct Reduction {
  int number = 0;
  int day = 0;  // fiscal day reduced
  int coo = 0;
  long long gross = 0;
  long long grand_total = 0;
};

// A restaurant item registered against a table; it becomes a sale line
// when the table's coupon is opened.
struct TableItem {
  std::string table;
  std::string code;
  std::string description;
  long long quantity = 0;
  long long unit_price = 0;
  std::string tax = "FF";
  long long discount = 0;
};

struct FiscalState {
  std::string printer_number = "001";
  std::string serial = "BE050375610000012345";
  std::optional<int> fiscal_day;  // open movement day
  std::optional<int> last_reduction_day;
  int reductions = 0;
  int coo = 0;
  int restarts = 1;
  int non_fiscal = 0;  // GNF
  int x_readings = 0;
  long long grand_total = 0;
  std::vector<Rate> rates;
  std::vector<std::string> totalizers;
  std::vector<std::string> methods{"Dinheiro"};
  std::optional<Coupon> coupon;
  OpenDoc open_doc = OpenDoc::None;
  DayTotals day;
  std::vector<Reduction> reduction_log;
  std::optional<DayTotals> last_z_totals;  // figures of the last Z, for "69"
  std::vector<TableItem> tables;
  // Tables whose check was closed: they wait for their coupon and take no
  // more items, moves or checks.
  std::vector<std::string> closed_tables;

  bool TableClosed(const std::string& table) const;
  bool CouponOpen() const { return coupon && coupon->phase != CouponPhase::Closed; }
  bool DocumentOpen() const { return CouponOpen() || open_doc != OpenDoc::None; }
  // Number of the payment method, case-blind; 0 when unknown.
  int MethodNumber(const std::string& name) const;
  // Starts a new document: next COO; the last coupon can no longer be cancelled.
  int NextDocument();
};

// Factory defaults: identity, "Dinheiro", a few tax rates, no totalizers.
FiscalState FactoryState();

}  // namespace mp20emu
