#include "platform/dataset/store.h"

#include <algorithm>
#include <limits>

#include "platform/base/errors.h"

namespace platform::dataset {

namespace {

// Texts no cell refers to are dropped once they are most of the buffer and
// worth the copy, so a table edited all day does not grow without bound.
constexpr std::size_t kCompactAbove = std::size_t{1} << 20;

}  // namespace

ValueView ViewOf(const Variant& value) {
  switch (value.index()) {
    case 1:
      return std::string_view(std::get<std::string>(value));
    case 2:
      return std::get<long long>(value);
    case 3:
      return std::get<double>(value);
    case 4:
      return std::get<bool>(value);
    default:
      return {};
  }
}

Variant ToVariant(const ValueView& view) {
  switch (view.index()) {
    case 1:
      return std::string(std::get<std::string_view>(view));
    case 2:
      return std::get<long long>(view);
    case 3:
      return std::get<double>(view);
    case 4:
      return std::get<bool>(view);
    default:
      return {};
  }
}

int CompareViews(const ValueView& a, const ValueView& b) {
  const bool a_null = std::holds_alternative<std::monostate>(a);
  const bool b_null = std::holds_alternative<std::monostate>(b);
  if (a_null || b_null) return a_null == b_null ? 0 : (a_null ? -1 : 1);
  const auto* sa = std::get_if<std::string_view>(&a);
  const auto* sb = std::get_if<std::string_view>(&b);
  if (sa && sb) {
    const int c = sa->compare(*sb);
    return (c > 0) - (c < 0);
  }
  if (sa || sb) return sa ? 1 : -1;  // texts after numbers: never equal
  if (const auto* ia = std::get_if<long long>(&a)) {
    if (const auto* ib = std::get_if<long long>(&b)) return (*ia > *ib) - (*ia < *ib);
  }
  auto number = [](const ValueView& v) -> long double {
    if (const auto* i = std::get_if<long long>(&v)) return *i;
    if (const auto* d = std::get_if<double>(&v)) return *d;
    return std::get<bool>(v) ? 1 : 0;
  };
  const long double x = number(a);
  const long double y = number(b);
  return (x > y) - (x < y);
}

ValueView RowStore::View(std::size_t row, std::size_t field) const {
  const Cell& cell = At(row, field);
  switch (cell.kind) {
    case kText:
      return std::string_view(text_.data() + cell.offset, cell.length);
    case kInteger:
      return cell.integer;
    case kReal:
      return cell.real;
    case kBoolean:
      return cell.integer != 0;
    case kNull:
      break;
  }
  return {};
}

Variant RowStore::Get(std::size_t row, std::size_t field) const { return ToVariant(View(row, field)); }

Row RowStore::GetRow(std::size_t row) const {
  Row values(width_);
  for (std::size_t i = 0; i < width_; ++i) values[i] = Get(row, i);
  return values;
}

void RowStore::Drop(const Cell& cell) {
  if (cell.kind == kText) garbage_ += cell.length;
}

void RowStore::Store(Cell& cell, const Variant& value) {
  Drop(cell);
  cell = Cell{};
  cell.given = 1;
  switch (value.index()) {
    case 1: {
      const std::string& text = std::get<std::string>(value);
      if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw EDatabaseError("A text of " + std::to_string(text.size()) + " bytes is too long to store");
      }
      cell.kind = kText;
      cell.offset = text_.size();
      cell.length = static_cast<std::uint32_t>(text.size());
      text_ += text;
      break;
    }
    case 2:
      cell.kind = kInteger;
      cell.integer = std::get<long long>(value);
      break;
    case 3:
      cell.kind = kReal;
      cell.real = std::get<double>(value);
      break;
    case 4:
      cell.kind = kBoolean;
      cell.integer = std::get<bool>(value) ? 1 : 0;
      break;
    default:
      break;
  }
}

void RowStore::Insert(std::size_t pos, const Row& values) {
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(pos * width_), width_, Cell{});
  ++rows_;
  Assign(pos, values);
}

void RowStore::Assign(std::size_t pos, const Row& values) {
  for (std::size_t i = 0; i < width_; ++i) {
    Store(At(pos, i), i < values.size() ? values[i] : Variant{});
  }
  Compact();
}

void RowStore::Erase(std::size_t pos) {
  const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(pos * width_);
  for (auto it = first; it != first + static_cast<std::ptrdiff_t>(width_); ++it) Drop(*it);
  cells_.erase(first, first + static_cast<std::ptrdiff_t>(width_));
  --rows_;
  Compact();
}

void RowStore::Clear() {
  cells_.clear();
  text_.clear();
  rows_ = 0;
  garbage_ = 0;
}

void RowStore::Release() {
  Clear();
  cells_.shrink_to_fit();
  text_.shrink_to_fit();
}

void RowStore::Compact() {
  if (garbage_ < kCompactAbove || garbage_ < text_.size() / 2) return;
  std::string kept;
  kept.reserve(text_.size() - garbage_);
  for (Cell& cell : cells_) {
    if (cell.kind != kText) continue;
    const std::size_t offset = kept.size();
    kept.append(text_, cell.offset, cell.length);
    cell.offset = offset;
  }
  text_ = std::move(kept);
  garbage_ = 0;
}

void RowStore::Reserve(std::size_t rows, std::size_t text_bytes) {
  cells_.reserve(rows * width_);
  text_.reserve(text_bytes);
}

std::size_t RowStore::AddRow() {
  cells_.resize(cells_.size() + width_);
  return rows_++;
}

void RowStore::PutText(std::size_t row, std::size_t field, std::size_t start) {
  Cell& cell = At(row, field);
  Drop(cell);
  const std::size_t length = text_.size() - start;
  if (length > std::numeric_limits<std::uint32_t>::max()) {
    throw EDatabaseError("A text of " + std::to_string(length) + " bytes is too long to store");
  }
  cell.kind = kText;
  cell.offset = start;
  cell.length = static_cast<std::uint32_t>(length);
  cell.given = 1;
}

void RowStore::PutText(std::size_t row, std::size_t field, std::string_view value) {
  const std::size_t start = text_.size();
  text_.append(value);
  PutText(row, field, start);
}

void RowStore::PutInteger(std::size_t row, std::size_t field, long long value) {
  Cell& cell = At(row, field);
  Drop(cell);
  cell.kind = kInteger;
  cell.integer = value;
  cell.given = 1;
}

void RowStore::PutReal(std::size_t row, std::size_t field, double value) {
  Cell& cell = At(row, field);
  Drop(cell);
  cell.kind = kReal;
  cell.real = value;
  cell.given = 1;
}

void RowStore::PutBoolean(std::size_t row, std::size_t field, bool value) {
  Cell& cell = At(row, field);
  Drop(cell);
  cell.kind = kBoolean;
  cell.integer = value ? 1 : 0;
  cell.given = 1;
}

void RowStore::PutNull(std::size_t row, std::size_t field) {
  Cell& cell = At(row, field);
  Drop(cell);
  cell = Cell{};
  cell.given = 1;
}

void RowStore::Overlay(std::size_t into, std::size_t from) {
  for (std::size_t i = 0; i < width_; ++i) {
    const Cell& later = At(from, i);
    if (!later.given) continue;
    Cell& earlier = At(into, i);
    Drop(earlier);
    earlier = later;
  }
}

RowStore RowStore::Pick(const std::vector<std::size_t>& positions) const {
  RowStore picked(width_);
  picked.rows_ = positions.size();
  picked.cells_.reserve(positions.size() * width_);
  std::size_t bytes = 0;
  for (const std::size_t pos : positions) {
    for (std::size_t i = 0; i < width_; ++i) {
      const Cell& cell = At(pos, i);
      if (cell.kind == kText) bytes += cell.length;
    }
  }
  picked.text_.reserve(bytes);
  for (const std::size_t pos : positions) {
    for (std::size_t i = 0; i < width_; ++i) {
      Cell cell = At(pos, i);
      if (cell.kind == kText) {
        const std::size_t offset = picked.text_.size();
        picked.text_.append(text_, cell.offset, cell.length);
        cell.offset = offset;
      }
      picked.cells_.push_back(cell);
    }
  }
  return picked;
}

}  // namespace platform::dataset
