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

// Fields: table, unit price (8), waiter, discount (8), quantity (6, three
// implied decimals), code (14), description (17), tax code.
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
  return TableItem{Bare(a[0]), Bare(a[5]), a[6], *quantity, *price, a[7], *discount};
}

// A table whose check was closed takes nothing more until its coupon.
bool Closed(Command& c, const std::string& table) {
  if (!c.state.TableClosed(table)) return false;
  c.Refuse(0, kSt2NotExecuted);
  return true;
}

// The items of one table, in the order they were registered.
std::vector<TableItem*> ItemsOf(FiscalState& s, const std::string& table) {
  std::vector<TableItem*> items;
  for (TableItem& t : s.tables)
    if (t.table == table) items.push_back(&t);
  return items;
}

void Forget(FiscalState& s, const std::string& table) {
  std::erase_if(s.tables, [&](const TableItem& t) { return t.table == table; });
  std::erase(s.closed_tables, table);
}

bool HasItems(const FiscalState& s, const std::string& table) {
  return std::any_of(s.tables.begin(), s.tables.end(), [&](const TableItem& t) { return t.table == table; });
}

long long ItemAmount(const TableItem& t) { return t.unit_price * t.quantity / 1000 - t.discount; }

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

// The service charge the table check's third field asks for: four digits
// are a percentage with two implied decimals ("1000" is 10 %), fourteen an
// amount in cents; zeros ask for none. The percentage is cut to the cent.
std::optional<long long> ServiceCharge(const std::string& field, long long total, std::string& label) {
  if (field.size() == 4) {
    auto percent = DigitField(field, 4);
    if (!percent) return std::nullopt;
    label = "SERVI\xC7O " + Money(*percent) + "%";
    return total * *percent / 10000;
  }
  auto amount = DigitField(field, 14);
  if (!amount) return std::nullopt;
  label = "SERVI\xC7O";
  return *amount;
}

// Table check: the table's items, the service charge asked for and the
// total on the tape; an unknown or empty table is refused, and so is one
// whose check was closed.
void TableCheck(Command& c) {
  const std::string table = Bare(c.args[0]);
  std::string label;
  long long total = 0;
  std::string items = TableLines(c.state, table, total);
  const std::optional<long long> service = ServiceCharge(c.args[2], total, label);
  if (!service) return c.Refuse(0, kSt2FieldType);
  if (!HasItems(c.state, table)) return c.Refuse(0, kSt2NotExecuted);
  if (Closed(c, table)) return;
  std::string text = Center("CONFER\xCANCIA DE MESA") + Columns("MESA", table) + items;
  if (*service > 0) text += Columns("SUBTOTAL", Money(total)) + Columns(label, Money(*service));
  c.Print(text + Columns("TOTAL", Money(total + *service)));
}

// Closing the check of a table that has items: the table then waits for
// its coupon. "0" closes none.
void CloseTableCheck(Command& c) {
  const std::string table = Bare(c.args[0]);
  if (table == "0") return;
  if (!HasItems(c.state, table)) return c.Refuse(0, kSt2NotExecuted);
  if (Closed(c, table)) return;
  c.state.closed_tables.push_back(table);
  c.Print(Columns("MESA " + table, "CONFER\xCANCIA ENCERRADA"));
}

// The items of the second table join the first; the second must have
// items, and neither may have its check closed.
void JoinTables(Command& c) {
  const std::string to = Bare(c.args[0]);
  const std::string from = Bare(c.args[1]);
  if (to == from || !HasItems(c.state, from)) return c.Refuse(0, kSt2NotExecuted);
  if (Closed(c, to) || Closed(c, from)) return;
  for (TableItem& t : c.state.tables)
    if (t.table == from) t.table = to;
}

// The fiscal coupon of a table: its items leave the table and become the
// coupon's sale lines, in the order registered, and the day's totals take
// them as sales; the closing ("32", "72", "34") follows as for any coupon.
// The table is free again.
void TableCoupon(Command& c) {
  FiscalState& s = c.state;
  const std::string table = Bare(c.args[0]);
  std::vector<TableItem*> items = ItemsOf(s, table);
  if (s.DocumentOpen() || items.empty() || items.size() > kMaxItems) return c.Refuse(0, kSt2NotExecuted);
  StartCoupon(c, Columns("MESA", table));
  for (const TableItem* t : items)
    AddSaleLine(c, Item{t->code, t->description, t->tax, t->quantity, t->unit_price, t->discount, false});
  Forget(s, table);
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
  if (Closed(c, from) || Closed(c, to)) return;
  const std::string code = Bare(a[5]);
  for (TableItem& t : c.state.tables)
    if (t.table == from && t.code == code && t.quantity == *quantity) {
      t.table = to;
      return;
    }
  c.Refuse(0, kSt2NotExecuted);
}

// Reversal of an item of a table: the table, the item's number among the
// table's items (as registered), the share of its quantity reversed in
// hundredths of a percent, 0000 for the whole item. The reversed quantity
// leaves the table (an item reversed whole goes).
void TableReversal(Command& c) {
  FiscalState& s = c.state;
  const std::string table = Bare(c.args[0]);
  const std::string position = Trim(c.args[1]);
  auto share = DigitField(c.args[2], 4);
  if (!share || position.empty() || position.size() > 3 || !AllDigits(position)) return c.Refuse(0, kSt2FieldType);
  std::vector<TableItem*> items = ItemsOf(s, table);
  if (items.empty()) return c.Refuse(0, kSt2NotExecuted);
  if (Closed(c, table)) return;
  const std::size_t number = static_cast<std::size_t>(std::stoi(position));
  if (number < 1 || number > items.size()) return c.Refuse(0, kSt2CancelNotAllowed);
  TableItem& item = *items[number - 1];
  const long long before = ItemAmount(item);
  const long long reversed = *share == 0 ? item.quantity : std::max(1LL, item.quantity * *share / 10000);
  item.quantity -= std::min(reversed, item.quantity);
  // A discount larger than what is left of the item no longer applies.
  if (item.discount >= item.unit_price * item.quantity / 1000) item.discount = 0;
  const long long after = item.quantity > 0 ? ItemAmount(item) : 0;
  c.Print(Columns("ESTORNO MESA " + table + " ITEM " + Digits(static_cast<long long>(number), 3),
                  "-" + Money(before - after)));
  if (item.quantity == 0) std::erase_if(s.tables, [&](const TableItem& t) { return &t == &item; });
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
  if (!KnownTax(c.state, item->tax)) return c.Refuse(0, kSt2RateNotProgrammed);
  if (item->discount >= item->unit_price * item->quantity / 1000) return c.Refuse(0, kSt2NotExecuted);
  if (Closed(c, item->table)) return;
  OpenDayIfNeeded(c.state, c.today);
  c.state.tables.push_back(*item);
}

void CancelTableItem(Command& c) {
  auto item = TableItemFields(c);
  if (!item || Closed(c, item->table)) return;
  auto& tables = c.state.tables;
  for (auto it = tables.begin(); it != tables.end(); ++it)
    if (it->table == item->table && it->code == item->code && it->quantity == item->quantity) {
      tables.erase(it);
      return;
    }
  c.Refuse(0, kSt2CancelNotAllowed);
}

}  // namespace mp20emu
