// TClientDataSet: layout, activation, files, indexes, filters and whole
// content copies. Navigation and editing are in dataset_cursor.cpp, field
// access in dataset_field.cpp.
#include "platform/dataset/dataset.h"

#include "platform/dataset/impl.h"
#include "platform/dataset/xml.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"

namespace platform {

namespace {

void ValidateLayout(const std::vector<TFieldDef>& defs) {
  if (defs.empty()) throw EDatabaseError("Cannot create a dataset with no fields");
  for (std::size_t i = 0; i < defs.size(); ++i) {
    const TFieldDef& def = defs[i];
    if (def.Name.empty()) throw EDatabaseError("A field has no name");
    if (def.DataType == TFieldType::ftUnknown) {
      throw EDatabaseError("Field '" + def.Name + "' is of an unknown type");
    }
    if (def.Size < 0) throw EDatabaseError("Field '" + def.Name + "' has a negative size");
    if (dataset::FindFieldDef(defs, def.Name) != static_cast<int>(i)) {
      throw EDatabaseError("Duplicate field name '" + def.Name + "'");
    }
    if (def.DataType == TFieldType::ftDataSet) ValidateLayout(def.Children);
  }
}

// The dataset's own index definitions, then the packet's; a packet index
// replaces one of the same name.
std::vector<TIndexDef> MergeIndexes(const std::vector<TIndexDef>& own, const std::vector<TIndexDef>& brought) {
  std::vector<TIndexDef> merged = own;
  for (const TIndexDef& index : brought) {
    bool replaced = false;
    for (TIndexDef& mine : merged) {
      if (SameText(mine.Name, index.Name)) {
        mine = index;
        replaced = true;
      }
    }
    if (!replaced) merged.push_back(index);
  }
  return merged;
}

}  // namespace

// ---- Impl: activation ---------------------------------------------------

void TClientDataSet::Impl::CheckActive() const {
  if (!active) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

dataset::SortKey TClientDataSet::Impl::ResolveKey(const std::string& name, const std::vector<TFieldDef>& defs,
                                                  const std::vector<TIndexDef>& indexes) const {
  if (name.empty()) return {};
  for (const TIndexDef& index : indexes) {
    if (SameText(index.Name, name)) return dataset::ResolveIndex(index, defs);
  }
  throw EDatabaseError("Index '" + name + "' not found");
}

std::unique_ptr<dataset::Filter> TClientDataSet::Impl::CompileFilter(const std::string& text,
                                                                     const std::vector<TFieldDef>& defs) const {
  if (Trim(text).empty()) return nullptr;
  return dataset::Filter::Parse(text, defs);
}

TClientDataSet::Impl::Content TClientDataSet::Impl::Prepare(std::vector<TFieldDef> fields,
                                                            const std::vector<TIndexDef>& indexes,
                                                            dataset::RowStore rows) const {
  ValidateLayout(fields);
  Content content;
  content.indexes = MergeIndexes(owner.IndexDefs, indexes);
  content.key = ResolveKey(index_name, fields, content.indexes);
  if (filtered) content.filter = CompileFilter(filter_text, fields);
  content.layout = std::move(fields);
  content.rows = std::move(rows);
  return content;
}

void TClientDataSet::Impl::Load(dataset::xml::LoadedPacket packet) {
  Activate(Prepare(std::move(packet.fields), packet.indexes, std::move(packet.rows)));
  params = std::move(packet.params);
}

void TClientDataSet::Impl::Activate(Content content) {
  params.clear();  // a packet read sets them again
  owner.FieldDefs = content.layout;
  owner.IndexDefs = std::move(content.indexes);
  layout = std::move(content.layout);
  rows = std::move(content.rows);
  key = std::move(content.key);
  filter = std::move(content.filter);
  buffer.clear();
  SyncFields(layout);
  active = true;
  state = TDataSetState::dsBrowse;
  order.Rebuild(rows, key, ActiveFilter());
  cur = order.empty() ? -1 : 0;
  bof = true;
  eof = order.empty();
}

void TClientDataSet::Impl::Deactivate() {
  active = false;
  state = TDataSetState::dsInactive;
  rows.Release();
  order.Clear();
  buffer.clear();
  filter.reset();
  cur = -1;
  bof = eof = true;
  changed = false;
}

void TClientDataSet::Impl::SyncFields(const std::vector<TFieldDef>& defs) {
  std::vector<TField*> next;
  next.reserve(defs.size());
  auto taken = [&](const TField* f) {
    for (const TField* n : next) {
      if (n == f) return true;
    }
    return false;
  };
  auto match = [&](const TField* f, const TFieldDef& def) { return !taken(f) && SameText(f->def_.Name, def.Name); };
  for (std::size_t i = 0; i < defs.size(); ++i) {
    const TFieldDef& def = defs[i];
    TField* field = nullptr;
    for (TField* f : fields) {
      if (match(f, def)) {
        field = f;
        break;
      }
    }
    for (std::size_t k = 0; !field && k < all_fields.size(); ++k) {
      if (all_fields[k]->index_ < 0 && match(all_fields[k].get(), def)) field = all_fields[k].get();
    }
    if (!field) {
      all_fields.push_back(std::unique_ptr<TField>(new TField(&owner, def, static_cast<int>(i))));
      field = all_fields.back().get();
    } else {
      // A label never set follows the field's name.
      if (field->DisplayLabel == field->def_.Name) field->DisplayLabel = def.Name;
      field->def_ = def;
    }
    field->index_ = static_cast<int>(i);
    next.push_back(field);
  }
  for (TField* f : fields) {
    if (!taken(f)) f->index_ = -1;
  }
  fields = std::move(next);
}

void TClientDataSet::Impl::SyncWhileClosed() {
  if (active) return;
  const std::vector<TFieldDef>& defs = owner.FieldDefs;
  bool same = defs.size() == fields.size();
  for (std::size_t i = 0; same && i < defs.size(); ++i) {
    const TFieldDef& a = defs[i];
    const TFieldDef& b = fields[i]->def_;
    same = a.Name == b.Name && a.DataType == b.DataType && a.Size == b.Size;
  }
  if (!same) SyncFields(defs);
}

void TClientDataSet::Impl::Rebuild(int keep_pos) {
  order.Rebuild(rows, key, ActiveFilter());
  const int place = keep_pos >= 0 ? order.Find(keep_pos) : -1;
  cur = order.empty() ? -1 : place >= 0 ? place : 0;
  bof = place <= 0;
  eof = order.empty();
}

// ---- Construction and layout -----------------------------------------

TClientDataSet::TClientDataSet(std::string name) : Name(std::move(name)), impl_(std::make_unique<Impl>(*this)) {}

TClientDataSet::~TClientDataSet() {
  // As on Close: changed records go back to the dataset's file.
  try {
    if (impl_->active && impl_->changed && !FileName.empty()) SaveToFile(FileName);
  } catch (...) {
  }
}

void TClientDataSet::AddFieldDef(const std::string& name, TFieldType type, int size) {
  FieldDefs.push_back(TFieldDef{name, type, size});
}

void TClientDataSet::AddIndexDef(const std::string& name, const std::string& fields, const std::string& desc_fields) {
  IndexDefs = MergeIndexes(IndexDefs, {TIndexDef{name, fields, desc_fields}});
}

// ---- Activation and files ---------------------------------------------

void TClientDataSet::CreateDataSet() {
  Close();
  impl_->Activate(impl_->Prepare(FieldDefs, {}, dataset::RowStore(FieldDefs.size())));
}

void TClientDataSet::Open() {
  if (impl_->active) return;
  if (!FileName.empty()) {
    impl_->Load(dataset::xml::LoadPacket(ReadFileBounded(FileName, kDataPacketFileLimit), FileName));
    return;
  }
  if (FieldDefs.empty()) throw EDatabaseError("Missing data provider or data packet");
  impl_->Activate(impl_->Prepare(FieldDefs, {}, dataset::RowStore(FieldDefs.size())));
}

void TClientDataSet::Close() {
  if (!impl_->active) return;
  if (impl_->changed && !FileName.empty()) SaveToFile(FileName);
  impl_->Deactivate();
}

bool TClientDataSet::Active() const { return impl_->active; }

void TClientDataSet::SetActive(bool active) {
  if (active) {
    Open();
  } else {
    Close();
  }
}

void TClientDataSet::LoadFromFile(const std::string& path) {
  Close();
  impl_->Load(dataset::xml::LoadPacket(ReadFileBounded(path, kDataPacketFileLimit), path));
}

void TClientDataSet::LoadFromString(const std::string& xml) {
  Close();
  impl_->Load(dataset::xml::LoadPacket(xml, ""));
}

std::string TClientDataSet::SaveToString() const {
  impl_->CheckActive();
  return dataset::xml::WritePacket(impl_->layout, IndexDefs, impl_->rows, impl_->params);
}

void TClientDataSet::SaveToFile(const std::string& path) const {
  const std::string& target = path.empty() ? FileName : path;
  if (target.empty()) throw EDatabaseError("No file name to save the dataset to");
  WriteFileAtomic(target, SaveToString());
  if (target == FileName) impl_->changed = false;
}

// ---- Indexes and filters ----------------------------------------------

void TClientDataSet::SetIndexName(const std::string& name) {
  if (!impl_->active) {
    impl_->index_name = name;
    return;
  }
  impl_->CheckBrowseMode();
  dataset::SortKey key = impl_->ResolveKey(name, impl_->layout, IndexDefs);
  impl_->index_name = name;
  impl_->key = std::move(key);
  impl_->Rebuild(impl_->CurrentPos());
}

const std::string& TClientDataSet::IndexName() const { return impl_->index_name; }

void TClientDataSet::SetFilter(const std::string& filter) {
  if (impl_->active && impl_->filtered) {
    impl_->CheckBrowseMode();
    impl_->filter = impl_->CompileFilter(filter, impl_->layout);
    impl_->filter_text = filter;
    impl_->Rebuild(-1);
    return;
  }
  impl_->filter_text = filter;
}

const std::string& TClientDataSet::Filter() const { return impl_->filter_text; }

void TClientDataSet::SetFiltered(bool filtered) {
  if (impl_->active) {
    impl_->CheckBrowseMode();
    impl_->filter = filtered ? impl_->CompileFilter(impl_->filter_text, impl_->layout) : nullptr;
    impl_->filtered = filtered;
    impl_->Rebuild(-1);
    return;
  }
  impl_->filtered = filtered;
}

bool TClientDataSet::Filtered() const { return impl_->filtered; }

// ---- Whole content ----------------------------------------------------

TDataPacket TClientDataSet::GetData() const {
  impl_->CheckActive();
  TDataPacket data{impl_->layout, IndexDefs, {}};
  data.rows.reserve(impl_->rows.size());
  for (std::size_t i = 0; i < impl_->rows.size(); ++i) data.rows.push_back(impl_->rows.GetRow(i));
  return data;
}

void TClientDataSet::SetData(const TDataPacket& data) {
  ValidateLayout(data.fields);
  dataset::RowStore rows(data.fields.size());
  dataset::Row stored(data.fields.size());
  for (const auto& row : data.rows) {
    for (std::size_t i = 0; i < stored.size(); ++i) {
      stored[i] = i < row.size() ? dataset::StoreVariant(data.fields[i], row[i]) : Variant{};
    }
    rows.Append(stored);
  }
  Impl::Content content = impl_->Prepare(data.fields, data.indexes, std::move(rows));
  impl_->Deactivate();
  impl_->Activate(std::move(content));
  impl_->changed = true;
}

}  // namespace platform
