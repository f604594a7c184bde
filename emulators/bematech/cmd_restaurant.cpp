// Items registered against restaurant tables.
#include "emulators/bematech/commands.h"
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
  return TableItem{Bare(a[0]), Bare(a[5]), a[6], *quantity, *price};
}

}  // namespace

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
