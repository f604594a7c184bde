// Inside of TClientDataSet: the row store, the visit order, the cursor and
// the edit buffer. Shared by the dataset's source files only.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/dataset/filter.h"
#include "platform/dataset/index.h"
#include "platform/dataset/store.h"
#include "platform/dataset/values.h"
#include "platform/dataset/xml.h"
#include "platform/base/export.h"

namespace platform {

struct PKG_QDM_HIDDEN TClientDataSet::Impl {
  explicit Impl(TClientDataSet& owner) : owner(owner) {}

  TClientDataSet& owner;
  bool active = false;
  TDataSetState state = TDataSetState::dsInactive;
  std::vector<TFieldDef> layout;  // the open layout (FieldDefs may change meanwhile)

  // Field objects live as long as the dataset, so a reference a caller kept
  // never dangles; one whose field left the layout answers "not found".
  std::vector<std::unique_ptr<TField>> all_fields;
  std::vector<TField*> fields;  // the current layout's, in order

  dataset::RowStore rows;      // insertion order
  dataset::RecordOrder order;  // visit order through index and filter
  int cur = -1;                // place in `order`, -1 when it is empty
  bool bof = true;
  bool eof = true;

  dataset::Row buffer;   // the record being edited or inserted
  int edit_pos = -1;     // store position of the record under edit
  int insert_pos = -1;   // store position the inserted record will take
  bool changed = false;  // records changed since the file was read
  // PARAMS attributes of the packet read (LCID, ...), written back on save.
  std::vector<std::pair<std::string, std::string>> params;

  std::string index_name;
  dataset::SortKey key;
  std::string filter_text;
  bool filtered = false;
  std::unique_ptr<dataset::Filter> filter;  // compiled while active and filtered

  // Everything a new content needs, checked before the dataset changes.
  struct Content {
    std::vector<TFieldDef> layout;
    std::vector<TIndexDef> indexes;
    dataset::RowStore rows;
    dataset::SortKey key;
    std::unique_ptr<dataset::Filter> filter;
  };
  Content Prepare(std::vector<TFieldDef> fields, const std::vector<TIndexDef>& indexes, dataset::RowStore rows) const;
  // Makes `content` the dataset's, with the PARAMS attributes of the packet
  // it came from.
  void Load(dataset::xml::LoadedPacket packet);
  void Activate(Content content);
  void Deactivate();

  void SyncFields(const std::vector<TFieldDef>& defs);
  void SyncWhileClosed();

  const dataset::Filter* ActiveFilter() const { return filtered ? filter.get() : nullptr; }
  // A field's value in the current record (the edit buffer while editing),
  // null when there is none; and the slot a write goes to.
  dataset::ValueView View(const TField& field) const;
  Variant Value(const TField& field) const;
  Variant& Slot(const TField& field);
  int CurrentPos() const { return cur >= 0 ? order[cur] : -1; }
  void Rebuild(int keep_pos);
  void PlaceCursor(dataset::RecordOrder::Spot spot);

  void CheckActive() const;
  void CheckBrowseMode();  // posts a pending edit
  dataset::SortKey ResolveKey(const std::string& name, const std::vector<TFieldDef>& defs,
                              const std::vector<TIndexDef>& indexes) const;
  std::unique_ptr<dataset::Filter> CompileFilter(const std::string& text, const std::vector<TFieldDef>& defs) const;
};

}  // namespace platform
