// TClientDataSet: the cursor (navigation, Locate) and the editing states.
#include "platform/dataset/dataset.h"

#include <algorithm>

#include "platform/dataset/impl.h"
#include "platform/base/errors.h"

namespace platform {

// ---- Impl: cursor -----------------------------------------------------

void TClientDataSet::Impl::PlaceCursor(dataset::RecordOrder::Spot spot) {
  if (order.empty()) {
    cur = -1;
    bof = eof = true;
    return;
  }
  // A record the filter now hides leaves the cursor on the one after it.
  cur = std::min(spot.place, order.size() - 1);
  bof = false;
  eof = !spot.visible && spot.place >= order.size();
}

void TClientDataSet::Impl::CheckBrowseMode() {
  CheckActive();
  if (state == TDataSetState::dsEdit || state == TDataSetState::dsInsert) owner.Post();
}

// ---- Navigation -------------------------------------------------------

void TClientDataSet::First() {
  impl_->CheckBrowseMode();
  impl_->cur = impl_->order.empty() ? -1 : 0;
  impl_->bof = true;
  impl_->eof = impl_->order.empty();
}

void TClientDataSet::Last() {
  impl_->CheckBrowseMode();
  impl_->cur = impl_->order.size() - 1;
  impl_->eof = true;
  impl_->bof = impl_->order.empty();
}

void TClientDataSet::Next() {
  impl_->CheckBrowseMode();
  if (impl_->cur + 1 < impl_->order.size()) {
    ++impl_->cur;
    impl_->bof = impl_->eof = false;
  } else {
    impl_->eof = true;
  }
}

void TClientDataSet::Prior() {
  impl_->CheckBrowseMode();
  if (impl_->cur > 0) {
    --impl_->cur;
    impl_->bof = impl_->eof = false;
  } else {
    impl_->bof = true;
  }
}

bool TClientDataSet::Eof() const { return !impl_->active || impl_->eof; }
bool TClientDataSet::Bof() const { return !impl_->active || impl_->bof; }
bool TClientDataSet::IsEmpty() const { return !impl_->active || impl_->order.empty(); }
int TClientDataSet::RecordCount() const { return impl_->active ? impl_->order.size() : 0; }
int TClientDataSet::RecNo() const { return impl_->active ? impl_->cur + 1 : 0; }

bool TClientDataSet::Locate(const std::string& key_fields, const std::vector<Variant>& values) {
  impl_->CheckBrowseMode();
  const std::vector<std::string> names = dataset::SplitFieldList(key_fields);
  if (names.empty() || names.size() != values.size()) {
    throw EDatabaseError("Locate on '" + key_fields + "' needs one value per field");
  }
  std::vector<int> fields;
  std::vector<Variant> keys(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const TField& field = FieldByName(names[i]);
    fields.push_back(field.Index());
    if (!dataset::SearchKey(field.def_, values[i], keys[i])) return false;
    // A text field's null and the empty text are the same search.
    if (dataset::IsTextType(field.DataType()) && std::holds_alternative<std::monostate>(keys[i])) {
      keys[i] = std::string();
    }
  }
  std::vector<dataset::ValueView> key_views;
  for (const Variant& key : keys) key_views.push_back(dataset::ViewOf(key));
  for (int place = 0; place < impl_->order.size(); ++place) {
    const auto row = static_cast<std::size_t>(impl_->order[place]);
    bool all = true;
    for (std::size_t i = 0; all && i < fields.size(); ++i) {
      const auto f = static_cast<std::size_t>(fields[i]);
      dataset::ValueView value = impl_->rows.View(row, f);
      if (dataset::IsTextType(impl_->layout[f].DataType) && std::holds_alternative<std::monostate>(value)) {
        value = std::string_view();
      }
      all = dataset::CompareViews(value, key_views[i]) == 0;
    }
    if (all) {
      impl_->cur = place;
      impl_->bof = impl_->eof = false;
      return true;
    }
  }
  return false;
}

// ---- Editing ----------------------------------------------------------

TDataSetState TClientDataSet::State() const { return impl_->state; }

void TClientDataSet::Insert() {
  impl_->CheckBrowseMode();
  const int pos = impl_->CurrentPos();
  impl_->insert_pos = pos >= 0 ? pos : static_cast<int>(impl_->rows.size());
  impl_->buffer.assign(impl_->layout.size(), Variant{});
  impl_->state = TDataSetState::dsInsert;
}

void TClientDataSet::Append() {
  impl_->CheckBrowseMode();
  impl_->insert_pos = static_cast<int>(impl_->rows.size());
  impl_->buffer.assign(impl_->layout.size(), Variant{});
  impl_->state = TDataSetState::dsInsert;
}

void TClientDataSet::Edit() {
  impl_->CheckActive();
  if (impl_->state != TDataSetState::dsBrowse) return;
  // As the component library does, editing an empty table inserts.
  if (impl_->order.empty()) return Insert();
  impl_->edit_pos = impl_->CurrentPos();
  impl_->buffer = impl_->rows.GetRow(static_cast<std::size_t>(impl_->edit_pos));
  impl_->state = TDataSetState::dsEdit;
}

void TClientDataSet::Post() {
  impl_->CheckActive();
  Impl& d = *impl_;
  if (d.state == TDataSetState::dsEdit) {
    d.rows.Assign(static_cast<std::size_t>(d.edit_pos), d.buffer);
    d.state = TDataSetState::dsBrowse;
    d.PlaceCursor(d.order.Changed(d.rows, d.edit_pos, d.key, d.ActiveFilter()));
  } else if (d.state == TDataSetState::dsInsert) {
    d.rows.Insert(static_cast<std::size_t>(d.insert_pos), d.buffer);
    d.state = TDataSetState::dsBrowse;
    d.PlaceCursor(d.order.Inserted(d.rows, d.insert_pos, d.key, d.ActiveFilter()));
  } else {
    return;
  }
  d.buffer.clear();
  d.changed = true;
}

void TClientDataSet::Cancel() {
  if (impl_->state != TDataSetState::dsEdit && impl_->state != TDataSetState::dsInsert) return;
  impl_->buffer.clear();
  impl_->state = TDataSetState::dsBrowse;
}

void TClientDataSet::Delete() {
  impl_->CheckActive();
  if (impl_->state == TDataSetState::dsInsert) return Cancel();
  Cancel();
  Impl& d = *impl_;
  if (d.order.empty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
  const int pos = d.CurrentPos();
  d.rows.Erase(static_cast<std::size_t>(pos));
  const int place = d.order.Removed(pos);
  d.PlaceCursor({place, false});
  d.changed = true;
}

void TClientDataSet::EmptyDataSet() {
  impl_->CheckActive();
  Cancel();
  impl_->rows.Clear();
  impl_->order.Clear();
  impl_->cur = -1;
  impl_->bof = impl_->eof = true;
  impl_->changed = true;
}

}  // namespace platform
