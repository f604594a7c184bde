#include "platform/dataset/index.h"

#include <algorithm>

#include "platform/dataset/filter.h"
#include "platform/base/errors.h"

namespace platform::dataset {

namespace {

int CompareRows(const SortKey& key, const RowStore& rows, std::size_t a, std::size_t b) {
  for (const SortPart& part : key) {
    const auto f = static_cast<std::size_t>(part.field);
    const int c = CompareViews(rows.View(a, f), rows.View(b, f));
    if (c != 0) return part.descending ? -c : c;
  }
  return 0;
}

// Strict order of store positions: by the key, then by position.
struct Before {
  const RowStore& rows;
  const SortKey& key;
  bool operator()(int x, int y) const {
    const int c = CompareRows(key, rows, static_cast<std::size_t>(x), static_cast<std::size_t>(y));
    return c < 0 || (c == 0 && x < y);
  }
};

}  // namespace

SortKey ResolveIndex(const TIndexDef& index, const std::vector<TFieldDef>& layout) {
  SortKey key;
  const std::vector<std::string> descending = SplitFieldList(index.DescFields);
  for (const std::string& name : SplitFieldList(index.Fields)) {
    const int field = FindFieldDef(layout, name);
    if (field < 0) {
      throw EDatabaseError("Index '" + index.Name + "': field '" + name + "' not found");
    }
    const bool desc = std::any_of(descending.begin(), descending.end(),
                                  [&](const std::string& d) { return FindFieldDef(layout, d) == field; });
    key.push_back({field, desc});
  }
  return key;
}

void RecordOrder::Rebuild(const RowStore& rows, const SortKey& key, const Filter* filter) {
  order_.clear();
  order_.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!filter || filter->Matches(rows, i)) order_.push_back(static_cast<int>(i));
  }
  if (!key.empty()) std::sort(order_.begin(), order_.end(), Before{rows, key});
}

int RecordOrder::PlaceOf(const RowStore& rows, int pos, const SortKey& key) const {
  const auto it = std::lower_bound(order_.begin(), order_.end(), pos, Before{rows, key});
  return static_cast<int>(it - order_.begin());
}

RecordOrder::Spot RecordOrder::Place(const RowStore& rows, int pos, const SortKey& key, const Filter* filter) {
  const int place = PlaceOf(rows, pos, key);
  if (filter && !filter->Matches(rows, static_cast<std::size_t>(pos))) return {place, false};
  order_.insert(order_.begin() + place, pos);
  return {place, true};
}

RecordOrder::Spot RecordOrder::Inserted(const RowStore& rows, int pos, const SortKey& key, const Filter* filter) {
  // A row appended after all others moves none: loading a packet appends
  // row after row, and renumbering the whole order for each would make the
  // load quadratic.
  if (static_cast<std::size_t>(pos) + 1 < rows.size()) {
    for (int& p : order_) {
      if (p >= pos) ++p;
    }
  }
  return Place(rows, pos, key, filter);
}

RecordOrder::Spot RecordOrder::Changed(const RowStore& rows, int pos, const SortKey& key, const Filter* filter) {
  const int place = Find(pos);
  if (place >= 0) order_.erase(order_.begin() + place);
  return Place(rows, pos, key, filter);
}

int RecordOrder::Removed(int pos) {
  const int place = Find(pos);
  if (place >= 0) order_.erase(order_.begin() + place);
  for (int& p : order_) {
    if (p > pos) --p;
  }
  return place;
}

int RecordOrder::Find(int pos) const {
  if (pos >= 0 && pos < size() && order_[static_cast<std::size_t>(pos)] == pos) return pos;
  const auto it = std::find(order_.begin(), order_.end(), pos);
  return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

}  // namespace platform::dataset
