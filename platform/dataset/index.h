// The order in which a dataset visits its records: the positions of the
// stored rows that pass the filter, sorted by the current index (ties keep
// the order of the store, that is of insertion). Kept up to date one
// record at a time as records are posted and deleted. Private to the
// dataset.
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/store.h"
#include "platform/dataset/values.h"

namespace platform::dataset {

class Filter;

struct SortPart {
  int field;
  bool descending;
};
using SortKey = std::vector<SortPart>;  // empty: insertion order

// The parts of an index on a layout; raises EDatabaseError when the index
// names a field the layout lacks.
SortKey ResolveIndex(const TIndexDef& index, const std::vector<TFieldDef>& layout);

class RecordOrder {
 public:
  // Where a row stands in the order; when the filter hides it, `place` is
  // where it would stand (the next visible record).
  struct Spot {
    int place;
    bool visible;
  };

  void Rebuild(const RowStore& rows, const SortKey& key, const Filter* filter);
  void Clear() { order_.clear(); }

  // A row was stored at position `pos`; the rows after it moved up by one.
  Spot Inserted(const RowStore& rows, int pos, const SortKey& key, const Filter* filter);
  // The row at `pos` changed its values.
  Spot Changed(const RowStore& rows, int pos, const SortKey& key, const Filter* filter);
  // The row at `pos` left the store; answers the place it had (-1 if hidden).
  int Removed(int pos);

  int Find(int pos) const;  // place of a stored row, -1 when hidden
  int size() const { return static_cast<int>(order_.size()); }
  bool empty() const { return order_.empty(); }
  int operator[](int place) const { return order_[static_cast<std::size_t>(place)]; }

 private:
  int PlaceOf(const RowStore& rows, int pos, const SortKey& key) const;
  Spot Place(const RowStore& rows, int pos, const SortKey& key, const Filter* filter);
  std::vector<int> order_;
};

}  // namespace platform::dataset
