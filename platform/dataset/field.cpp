// TField: reads and writes of the current record, and the dataset's field
// lookup.
#include <limits>

#include "platform/dataset/dataset.h"
#include "platform/dataset/impl.h"
#include "platform/base/errors.h"
#include "platform/base/sysutils.h"

namespace platform {

// The value a field shows: the current record's (the edit buffer while
// editing), null when there is none.
dataset::ValueView TClientDataSet::Impl::View(const TField& field) const {
  if (field.index_ < 0) throw EDatabaseError("Field '" + field.FieldName() + "' not found");
  const auto index = static_cast<std::size_t>(field.index_);
  if (!active) return {};
  if (state == TDataSetState::dsEdit || state == TDataSetState::dsInsert) return dataset::ViewOf(buffer[index]);
  if (cur < 0) return {};
  return rows.View(static_cast<std::size_t>(order[cur]), index);
}

Variant TClientDataSet::Impl::Value(const TField& field) const { return dataset::ToVariant(View(field)); }

Variant& TClientDataSet::Impl::Slot(const TField& field) {
  if (field.index_ < 0) throw EDatabaseError("Field '" + field.FieldName() + "' not found");
  if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert) {
    throw EDatabaseError("Dataset not in edit or insert mode");
  }
  return buffer[static_cast<std::size_t>(field.index_)];
}

TField::TField(TClientDataSet* owner, TFieldDef def, int index)
    : DisplayLabel(def.Name), owner_(owner), def_(std::move(def)), index_(index) {}

Variant TField::Value() const { return owner_->impl_->Value(*this); }

bool TField::IsNull() const { return std::holds_alternative<std::monostate>(owner_->impl_->View(*this)); }

std::string TField::AsString() const { return dataset::ReadString(def_, owner_->impl_->Value(*this)); }

int TField::AsInteger() const {
  const long long value = dataset::ReadInteger(def_, owner_->impl_->Value(*this));
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    throw EConvertError("'" + IntToStr(value) + "' is not a valid integer value");
  }
  return static_cast<int>(value);
}

double TField::AsFloat() const { return dataset::ReadFloat(def_, owner_->impl_->Value(*this)); }

TDateTime TField::AsDateTime() const { return dataset::ReadDateTime(def_, owner_->impl_->Value(*this)); }

bool TField::AsBoolean() const { return dataset::ReadBoolean(def_, owner_->impl_->Value(*this)); }

void TField::SetAsString(const std::string& value) {
  Variant& slot = owner_->impl_->Slot(*this);
  slot = dataset::StoreString(def_, value);
}

void TField::SetAsInteger(int value) {
  Variant& slot = owner_->impl_->Slot(*this);
  slot = dataset::StoreInteger(def_, value);
}

void TField::SetAsFloat(double value) {
  Variant& slot = owner_->impl_->Slot(*this);
  slot = dataset::StoreFloat(def_, value);
}

void TField::SetAsDateTime(TDateTime value) {
  Variant& slot = owner_->impl_->Slot(*this);
  slot = dataset::StoreDateTime(def_, value);
}

void TField::SetAsBoolean(bool value) {
  Variant& slot = owner_->impl_->Slot(*this);
  slot = dataset::StoreBoolean(def_, value);
}

void TField::SetValue(const Variant& value) {
  Variant& slot = owner_->impl_->Slot(*this);
  slot = dataset::StoreVariant(def_, value);
}

void TField::Clear() { owner_->impl_->Slot(*this) = Variant{}; }

// ---- Lookup by the dataset --------------------------------------------

TField& TClientDataSet::FieldByName(const std::string& name) {
  TField* field = FindField(name);
  if (!field) throw EDatabaseError("Field '" + name + "' not found");
  return *field;
}

TField* TClientDataSet::FindField(const std::string& name) {
  impl_->SyncWhileClosed();
  for (TField* field : impl_->fields) {
    if (SameText(field->FieldName(), name)) return field;
  }
  return nullptr;
}

int TClientDataSet::FieldCount() const {
  impl_->SyncWhileClosed();
  return static_cast<int>(impl_->fields.size());
}

TField& TClientDataSet::Fields(int index) {
  impl_->SyncWhileClosed();
  if (index < 0 || index >= FieldCount()) {
    throw EDatabaseError("Field index " + IntToStr(index) + " out of range");
  }
  return *impl_->fields[static_cast<std::size_t>(index)];
}

}  // namespace platform
