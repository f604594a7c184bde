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

std::string_view RowStore::TextOf(std::size_t at) const {
  const std::uint8_t kind = kinds_[at];
  const Cell& cell = cells_[at];
  if (KindOf(kind) == kShortText) return std::string_view(cell.bytes, kind >> kLengthShift & 0x0F);
  if (KindOf(kind) == kText) return std::string_view(text_.data() + cell.text.offset, cell.text.length);
  return {};
}

ValueView RowStore::View(std::size_t row, std::size_t field) const {
  const std::size_t at = At(row, field);
  const Cell& cell = cells_[at];
  switch (KindOf(kinds_[at])) {
    case kText:
    case kShortText:
      return TextOf(at);
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

void RowStore::Drop(std::size_t at) {
  if (KindOf(kinds_[at]) == kText) garbage_ += cells_[at].text.length;
}

void RowStore::Put(std::size_t at, Kind kind, Cell cell) {
  Drop(at);
  cells_[at] = cell;
  kinds_[at] = static_cast<std::uint8_t>(kind | kGiven);
}

void RowStore::TakeText(std::size_t at, std::size_t start) {
  const std::size_t length = text_.size() - start;
  Cell cell;
  if (length <= sizeof cell.bytes) {
    std::copy(text_.begin() + static_cast<std::ptrdiff_t>(start), text_.end(), cell.bytes);
    text_.resize(start);
    Drop(at);
    cells_[at] = cell;
    kinds_[at] = static_cast<std::uint8_t>(kShortText | length << kLengthShift | kGiven);
    return;
  }
  // Cells point into the text with 32 bits: past that the text is
  // compacted, and a table whose live text is larger is refused.
  constexpr std::size_t kMost = std::numeric_limits<std::uint32_t>::max();
  if (start > kMost || length > kMost) {
    std::string value = text_.substr(start);
    text_.resize(start);
    Compact(true);
    if (text_.size() > kMost || value.size() > kMost) throw EDatabaseError("The table's texts are too long to store");
    start = text_.size();
    text_ += value;
  }
  cell.text.offset = static_cast<std::uint32_t>(start);
  cell.text.length = static_cast<std::uint32_t>(length);
  Put(at, kText, cell);
}

void RowStore::Store(std::size_t at, const Variant& value) {
  Cell cell;
  switch (value.index()) {
    case 1: {
      const std::size_t start = text_.size();
      text_ += std::get<std::string>(value);
      TakeText(at, start);
      return;
    }
    case 2:
      cell.integer = std::get<long long>(value);
      return Put(at, kInteger, cell);
    case 3:
      cell.real = std::get<double>(value);
      return Put(at, kReal, cell);
    case 4:
      cell.integer = std::get<bool>(value) ? 1 : 0;
      return Put(at, kBoolean, cell);
    default:
      return Put(at, kNull, cell);
  }
}

void RowStore::Insert(std::size_t pos, const Row& values) {
  const auto at = static_cast<std::ptrdiff_t>(pos * width_);
  cells_.insert(cells_.begin() + at, width_, Cell{});
  kinds_.insert(kinds_.begin() + at, width_, kNull);
  ++rows_;
  Assign(pos, values);
}

void RowStore::Assign(std::size_t pos, const Row& values) {
  for (std::size_t i = 0; i < width_; ++i) Store(At(pos, i), i < values.size() ? values[i] : Variant{});
  Compact(false);
}

void RowStore::Erase(std::size_t pos) {
  for (std::size_t i = 0; i < width_; ++i) Drop(At(pos, i));
  const auto at = static_cast<std::ptrdiff_t>(pos * width_);
  const auto width = static_cast<std::ptrdiff_t>(width_);
  cells_.erase(cells_.begin() + at, cells_.begin() + at + width);
  kinds_.erase(kinds_.begin() + at, kinds_.begin() + at + width);
  --rows_;
  Compact(false);
}

void RowStore::Clear() {
  cells_.clear();
  kinds_.clear();
  text_.clear();
  rows_ = 0;
  garbage_ = 0;
}

void RowStore::Release() {
  Clear();
  cells_.shrink_to_fit();
  kinds_.shrink_to_fit();
  text_.shrink_to_fit();
}

void RowStore::Compact(bool now) {
  if (!now && (garbage_ < kCompactAbove || garbage_ < text_.size() / 2)) return;
  std::string kept;
  kept.reserve(text_.size() - garbage_);
  for (std::size_t at = 0; at < cells_.size(); ++at) {
    if (KindOf(kinds_[at]) != kText) continue;
    Cell& cell = cells_[at];
    const std::size_t offset = kept.size();
    kept.append(text_, cell.text.offset, cell.text.length);
    cell.text.offset = static_cast<std::uint32_t>(offset);
  }
  text_ = std::move(kept);
  garbage_ = 0;
}

void RowStore::Reserve(std::size_t rows, std::size_t text_bytes) {
  cells_.reserve(rows * width_);
  kinds_.reserve(rows * width_);
  text_.reserve(text_bytes);
}

std::size_t RowStore::AddRow() {
  cells_.resize(cells_.size() + width_);
  kinds_.resize(kinds_.size() + width_, kNull);
  return rows_++;
}

void RowStore::PutText(std::size_t row, std::size_t field, std::size_t start) { TakeText(At(row, field), start); }

void RowStore::PutText(std::size_t row, std::size_t field, std::string_view value) {
  const std::size_t start = text_.size();
  text_.append(value);
  TakeText(At(row, field), start);
}

void RowStore::PutInteger(std::size_t row, std::size_t field, long long value) {
  Cell cell;
  cell.integer = value;
  Put(At(row, field), kInteger, cell);
}

void RowStore::PutReal(std::size_t row, std::size_t field, double value) {
  Cell cell;
  cell.real = value;
  Put(At(row, field), kReal, cell);
}

void RowStore::PutBoolean(std::size_t row, std::size_t field, bool value) {
  Cell cell;
  cell.integer = value ? 1 : 0;
  Put(At(row, field), kBoolean, cell);
}

void RowStore::PutNull(std::size_t row, std::size_t field) { Put(At(row, field), kNull, Cell{}); }

void RowStore::Overlay(std::size_t into, std::size_t from) {
  for (std::size_t i = 0; i < width_; ++i) {
    const std::size_t later = At(from, i);
    if (!(kinds_[later] & kGiven)) continue;
    const std::size_t earlier = At(into, i);
    Drop(earlier);
    cells_[earlier] = cells_[later];
    kinds_[earlier] = kinds_[later];
  }
}

RowStore RowStore::Pick(const std::vector<std::size_t>& positions) const {
  RowStore picked(width_);
  picked.rows_ = positions.size();
  picked.cells_.reserve(positions.size() * width_);
  picked.kinds_.reserve(positions.size() * width_);
  std::size_t bytes = 0;
  for (const std::size_t pos : positions) {
    for (std::size_t i = 0; i < width_; ++i) {
      if (KindOf(kinds_[At(pos, i)]) == kText) bytes += cells_[At(pos, i)].text.length;
    }
  }
  picked.text_.reserve(bytes);
  for (const std::size_t pos : positions) {
    for (std::size_t i = 0; i < width_; ++i) {
      const std::size_t at = At(pos, i);
      Cell cell = cells_[at];
      if (KindOf(kinds_[at]) == kText) {
        const std::size_t offset = picked.text_.size();
        picked.text_.append(text_, cell.text.offset, cell.text.length);
        cell.text.offset = static_cast<std::uint32_t>(offset);
      }
      picked.cells_.push_back(cell);
      picked.kinds_.push_back(kinds_[at]);
    }
  }
  return picked;
}

}  // namespace platform::dataset
