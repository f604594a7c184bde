// Items registered against restaurant tables, and what the printer does
// with its open tables: checks, joins, transfers and their reports.
#include <algorithm>
#include <map>

#include "emulators/bematech/commands.h"
#include "emulators/bematech/layout.h"
#include "emulators/bematech/shared.h"
#include "emulators/bematech/status_bits.h"

namespace mp20emu {

namespace {

constexpr std::size_t kTableDescriptionSize = 17;

// Tables and codes come padded with zeros or with blanks: compare bare.
std::string Bare(const std::string& text) {
  std::string t = Trim(text);
  std::size_t first = t.find_first_not_of('0');
  return first == std::string::npos ? std::string("0") : t.substr(first);
}

// Fields: table, unit price (8), s2, discount (8), quantity (6, three
// implied decimals), code (14), description (17), s5.
std::optional<TableItem> TableItemFields(Command& c) {
  const auto& a = c.args;
  auto price = DigitField(a[1], 8);
  auto discount = DigitField(a[3], 8);
  auto quantity = DigitField(a[4], 6);
  if (Trim(a[0]).empty() || !price || !discount || !quantity || *price == 0 || *quantity == 0 ||
      a[6].size() > kTableDescriptionSize) {
    c.Refuse(0, kSt2FieldType);
    return std::nullopt;
  }
  if (!KnownTax(c.state, a[7])) {
    c.Refuse(0, kSt2RateNotProgrammed);
    return std::nullopt;
  }
  return TableItem{Bare(a[0]), Bare(a[5]), a[6], *quantity, *price, a[7]};
}

bool HasItems(const FiscalState& s, const std::string& table) {
  return std::any_of(s.tables.begin(), s.tables.end(), [&](const TableItem& t) { return t.table == table; });
}

long long ItemAmount(const TableItem& t) { return t.unit_price * t.quantity / 1000; }

// The items of a table and their total, as the table check prints them.
std::string TableLines(const FiscalState& s, const std::string& table, long long& total) {
  std::string text;
  total = 0;
  for (const TableItem& t : s.tables) {
    if (t.table != table) continue;
    total += ItemAmount(t);
    text += Columns(t.code + " " + t.description, Money(ItemAmount(t)));
  }
  return text;
}

}  // namespace

// Table check: the table's items and total on the tape; an unknown or
// empty table is refused.
void TableCheck(Command& c) {
  const std::string table = Bare(c.args[0]);
  if (!HasItems(c.state, table)) return c.Refuse(0, kSt2NotExecuted);
  long long total = 0;
  std::string items = TableLines(c.state, table, total);
  c.Print(Center("CONFER\xCANCIA DE MESA") + Columns("MESA", table) + items + Columns("TOTAL", Money(total)));
}

// Closing the check of a table that has items; "0" closes none.
void CloseTableCheck(Command& c) {
  const std::string table = Bare(c.args[0]);
  if (table != "0" && !HasItems(c.state, table)) c.Refuse(0, kSt2NotExecuted);
}

// The items of the second table join the first; the second must have items.
void JoinTables(Command& c) {
  const std::string to = Bare(c.args[0]);
  const std::string from = Bare(c.args[1]);
  if (to == from || !HasItems(c.state, from)) return c.Refuse(0, kSt2NotExecuted);
  for (TableItem& t : c.state.tables)
    if (t.table == from) t.table = to;
}

// Opening the coupon of a table: a fiscal coupon holding every item of the
// table, which is then free; the coupon closes as the counter's does. A
// table without items, or another document open, is refused.
void TableCoupon(Command& c) {
  FiscalState& s = c.state;
  const std::string table = Bare(c.args[0]);
  const auto count =
      std::count_if(s.tables.begin(), s.tables.end(), [&](const TableItem& t) { return t.table == table; });
  // A table with more items than a coupon holds is refused whole, never
  // closed in part.
  if (count == 0 || static_cast<std::size_t>(count) > kMaxItems || s.DocumentOpen())
    return c.Refuse(0, kSt2NotExecuted);
  StartCoupon(c);
  for (const TableItem& t : s.tables) {
    if (t.table != table) continue;
    // Items kept before the printer recorded their rate go untaxed.
    const std::string tax = KnownTax(s, t.tax) ? t.tax : "NN";
    AddSaleLine(c, Item{t.code, t.description, tax, t.quantity, t.unit_price, 0, false});
  }
  std::erase_if(s.tables, [&](const TableItem& t) { return t.table == table; });
}

// Fields: from table, percentage (4), to table, price (8), quantity (6),
// code (14), description (17), two more. The item moves whole; a table
// without it refuses.
void TransferTableItem(Command& c) {
  const auto& a = c.args;
  const std::string from = Bare(a[0]);
  const std::string to = Bare(a[2]);
  auto quantity = DigitField(a[4], 6);
  if (!DigitField(a[1], 4) || !DigitField(a[3], 8) || !quantity || to == "0" || to == from)
    return c.Refuse(0, kSt2FieldType);
  const std::string code = Bare(a[5]);
  for (TableItem& t : c.state.tables)
    if (t.table == from && t.code == code && t.quantity == *quantity) {
      t.table = to;
      return;
    }
  c.Refuse(0, kSt2NotExecuted);
}

// Reversal on a table: the table must hold items; the percentage is checked.
void TableReversal(Command& c) {
  if (!DigitField(c.args[2], 4)) return c.Refuse(0, kSt2FieldType);
  if (!HasItems(c.state, Bare(c.args[0]))) c.Refuse(0, kSt2NotExecuted);
}

// Every open table with its total.
void OpenTablesReport(Command& c) {
  std::map<std::string, long long> totals;
  for (const TableItem& t : c.state.tables) totals[t.table] += ItemAmount(t);
  std::string text = Center("MESAS ABERTAS");
  for (const auto& [table, total] : totals) text += Columns("MESA " + table, Money(total));
  c.Print(text + Columns("MESAS", std::to_string(totals.size())));
}

// The menu: every product registered on a table, once.
void PrintMenu(Command& c) {
  std::map<std::string, const TableItem*> menu;
  for (const TableItem& t : c.state.tables) menu.emplace(t.code, &t);
  std::string text = Center("CARD\xC1PIO");
  for (const auto& [code, item] : menu) text += Columns(code + " " + item->description, Money(item->unit_price));
  c.Print(text);
}

void RegisterTableItem(Command& c) {
  auto item = TableItemFields(c);
  if (!item) return;
  OpenDayIfNeeded(c.state, c.today);
  c.state.tables.push_back(*item);
}

void CancelTableItem(Command& c) {
  auto item = TableItemFields(c);
  if (!item) return;
  auto& tables = c.state.tables;
  for (auto it = tables.begin(); it != tables.end(); ++it)
    if (it->table == item->table && it->code == item->code && it->quantity == item->quantity) {
      tables.erase(it);
      return;
    }
  c.Refuse(0, kSt2CancelNotAllowed);
}

}  // namespace mp20emu
