#include "tools/qdm_register/dataset_table.h"

#include <algorithm>
#include <vector>

#include "platform/base/encoding.h"
#include "platform/text/datetime.h"
#include "platform/text/format.h"

namespace qdm_register {

namespace {

using Row = std::vector<std::string>;

// Characters a terminal shows for Windows-1252 text: one per byte, as
// every byte of the code page is one character.
std::size_t Shown(const std::string& cp1252) { return cp1252.size(); }

std::string Padded(const std::string& cp1252, std::size_t width, bool right) {
  const std::string fill(width > Shown(cp1252) ? width - Shown(cp1252) : 0, ' ');
  return right ? fill + cp1252 : cp1252 + fill;
}

// Amounts and counters line up on the right.
bool Numeric(platform::TFieldType type) {
  using platform::TFieldType;
  switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftFloat:
    case TFieldType::ftBCD:
    case TFieldType::ftShortint:
    case TFieldType::ftByte:
    case TFieldType::ftWord:
    case TFieldType::ftLongWord:
    case TFieldType::ftLargeint:
    case TFieldType::ftFMTBcd:
      return true;
    default:
      return false;
  }
}

// Amounts with their two decimals at least, as on the tape; a date
// without a time of day as the date alone.
std::string Value(platform::TField& field) {
  using platform::TFieldType;
  const TFieldType type = field.DataType();
  if (field.IsNull()) return std::string();
  if (type == TFieldType::ftFloat || type == TFieldType::ftBCD || type == TFieldType::ftFMTBcd)
    return platform::FormatFloat("0.00####", field.AsFloat());
  if (type == TFieldType::ftDateTime && platform::Frac(field.AsDateTime()) == 0)
    return platform::FormatDateTime("dd/mm/yyyy", field.AsDateTime());
  return field.AsString();
}

std::string Rule(const std::vector<std::size_t>& widths) {
  std::string line = "+";
  for (std::size_t w : widths) line += std::string(w + 2, '-') + "+";
  return line + "\n";
}

std::string Across(const Row& names, const std::vector<Row>& rows, const std::vector<bool>& right) {
  std::vector<std::size_t> widths(names.size());
  for (std::size_t c = 0; c < names.size(); ++c) {
    widths[c] = Shown(names[c]);
    for (const Row& row : rows) widths[c] = std::max(widths[c], Shown(row[c]));
  }
  auto line = [&](const Row& cells, bool header) {
    std::string text = "|";
    for (std::size_t c = 0; c < cells.size(); ++c)
      text += " " + Padded(cells[c], widths[c], right[c] && !header) + " |";
    return text + "\n";
  };
  std::string text = Rule(widths) + line(names, true) + Rule(widths);
  for (const Row& row : rows) text += line(row, false);
  return text + Rule(widths);
}

std::string Down(const Row& names, const std::vector<Row>& rows) {
  std::size_t width = 0;
  for (const std::string& name : names) width = std::max(width, Shown(name));
  std::string text;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows.size() > 1) text += "  [" + std::to_string(r + 1) + "]\n";
    for (std::size_t c = 0; c < names.size(); ++c)
      text += "  " + Padded(names[c], width, false) + " : " + rows[r][c] + "\n";
  }
  return text;
}

}  // namespace

std::string DatasetTable(const std::string& title, platform::TClientDataSet& ds) {
  std::string text = title + "\n";
  if (!ds.Active()) return platform::Cp1252ToUtf8(text + "  (fechado)\n");
  if (ds.IsEmpty()) return platform::Cp1252ToUtf8(text + "  (vazio)\n");
  Row names;
  std::vector<bool> right;
  for (int f = 0; f < ds.FieldCount(); ++f) {
    names.push_back(ds.Fields(f).FieldName());
    right.push_back(Numeric(ds.Fields(f).DataType()));
  }
  std::vector<Row> rows;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    Row row;
    for (int f = 0; f < ds.FieldCount(); ++f) row.push_back(Value(ds.Fields(f)));
    rows.push_back(std::move(row));
  }
  ds.First();
  std::string across = Across(names, rows, right);
  const bool fits = across.find('\n') <= kTableWidth;
  return platform::Cp1252ToUtf8(text + (fits ? across : Down(names, rows)));
}

}  // namespace qdm_register
