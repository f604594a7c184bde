// Reading a data packet with expat. Expat hands every text over as UTF-8;
// values go back to Windows-1252 on the way into the rows.
#include <expat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/dataset/values.h"
#include "platform/dataset/xml.h"
#include "platform/dataset/xml_text.h"
#include "platform/base/encoding.h"
#include "platform/base/errors.h"
#include "platform/base/sysutils.h"

namespace platform::dataset::xml {

namespace {

// Change-log marks of a row written before its changes were merged.
constexpr int kRowDeleted = 2;
constexpr int kRowModified = 8;

bool IsWindows1252(const XML_Char* name) {
  return SameText(name, "windows-1252") || SameText(name, "cp1252") || SameText(name, "x-cp1252");
}

int XMLCALL OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  if (!IsWindows1252(name)) return XML_STATUS_ERROR;
  for (int i = 0; i < 256; ++i) {
    info->map[i] = i < 0x80 ? i : static_cast<int>(Cp1252ToUnicode(static_cast<unsigned char>(i)));
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xE0) == 0xC0 ? 2
                               : (lead & 0xF0) == 0xE0 ? 3
                               : (lead & 0xF8) == 0xF0 ? 4
                                                       : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::string ToCp1252(std::string_view utf8) {
  std::string text;
  AppendCp1252(text, utf8);
  return text;
}

// Field names of one layout as the packet spells them, for matching ROW
// attributes; a nested field has the names of its own rows' layout.
struct Names {
  std::vector<std::string> names;
  std::unordered_map<std::string, int> by_name;
  std::vector<int> guess;                      // field of each attribute position in the last row
  std::vector<std::unique_ptr<Names>> nested;  // per field, null when not nested
  // Per field: whether it is a text field that came without a width, and
  // the longest value it holds, from which the loader gives it one.
  std::vector<char> open_width;
  std::vector<std::size_t> longest;

  // Attribute names of a ROW are matched to fields once per position and
  // then confirmed, so a long packet costs one string compare per value.
  int Find(std::size_t position, const char* name) {
    if (position < guess.size()) {
      const int field = guess[position];
      if (field >= 0 && names[static_cast<std::size_t>(field)] == name) return field;
    } else {
      guess.resize(position + 1, -1);
    }
    const auto it = by_name.find(name);
    const int field = it == by_name.end() ? -1 : it->second;
    guess[position] = field;
    return field;
  }
};

// Rows as they stand in the packet, before their change-log marks are
// applied: the store marks the values each row gives, and `states` holds
// the rows' RowState marks (only as far as the last row that has one).
struct RawRows {
  explicit RawRows(std::size_t width) : store(width) {}
  RowStore store;
  std::vector<long long> states;
  long long State(std::size_t row) const { return row < states.size() ? states[row] : 0; }
};

// Rows read before the reader sizes its store from what they took of the
// packet.
constexpr std::size_t kSampleRows = 256;

// Nested fields of a nested field, and so on, to this depth at most.
constexpr std::size_t kMaxNesting = 16;

class PacketReader {
 public:
  explicit PacketReader(const std::string& source) : source_(source) {}

  // False when the parser failed; error() tells why.
  bool Parse(std::string_view bytes, const char* encoding) {
    XML_Parser parser = XML_ParserCreate(encoding);
    if (!parser) throw EDatabaseError(Prefix() + "out of memory");
    parser_ = parser;
    total_bytes_ = bytes.size();
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &PacketReader::OnStart, &PacketReader::OnEnd);
    XML_SetXmlDeclHandler(parser, &PacketReader::OnDeclaration);
    XML_SetStartDoctypeDeclHandler(parser, &PacketReader::OnDoctype);
    XML_SetUnknownEncodingHandler(parser, &OnUnknownEncoding, nullptr);
    bool ok = true;
    do {
      const std::size_t chunk = std::min<std::size_t>(bytes.size(), INT_MAX / 2);
      const bool last = chunk == bytes.size();
      if (XML_Parse(parser, bytes.data(), static_cast<int>(chunk), last) != XML_STATUS_OK) {
        ok = false;
        if (error_.empty()) {
          error_ = Prefix() + "line " + IntToStr(XML_GetCurrentLineNumber(parser)) + ": " +
                   XML_ErrorString(XML_GetErrorCode(parser));
        }
        break;
      }
      bytes.remove_prefix(chunk);
    } while (!bytes.empty());
    XML_ParserFree(parser);
    parser_ = nullptr;
    if (ok) Finish();
    return error_.empty();
  }

  bool declared_encoding() const { return declared_encoding_; }
  const std::string& error() const { return error_; }
  // The packet read, its other PARAMS attributes into `params` when given.
  LoadedPacket Take() {
    packet_.params = std::move(params_);
    return std::move(packet_);
  }

 private:
  enum class Where { kPacket, kMetadata, kFields, kNestedField, kRowData, kRow, kNested, kSkip };

  // An open element. Layout elements point at the field list they fill;
  // row elements at the layout their rows have and the rows read so far.
  struct Frame {
    Where where = Where::kSkip;
    std::vector<TFieldDef>* defs = nullptr;
    Names* names = nullptr;
    RawRows* rows = nullptr;          // kRowData, kNested: rows read; kRow: its own list
    std::size_t row = 0;              // kRow: its place in `rows`
    int field = -1;                   // kNested: the field in the parent row
    std::unique_ptr<RawRows> own;     // kNested: the nested rows
    TFieldDef* nested_def = nullptr;  // kNestedField: the nested field
    bool saw_fields = false;          // kNestedField
    bool saw_params = false;          // kNestedField
  };

  std::string Prefix() const {
    return "Error reading data packet" + (source_.empty() ? std::string() : " '" + source_ + "'") + ": ";
  }

  void Fail(const std::string& message) {
    if (!error_.empty()) return;
    if (!parser_) {
      error_ = Prefix() + message;
      return;
    }
    error_ = Prefix() + "line " + IntToStr(XML_GetCurrentLineNumber(parser_)) + ": " + message;
    XML_StopParser(parser_, XML_FALSE);
  }

  static void XMLCALL OnDeclaration(void* data, const XML_Char*, const XML_Char* encoding, int) {
    static_cast<PacketReader*>(data)->declared_encoding_ = encoding != nullptr;
  }

  static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<PacketReader*>(data)->Fail("document type declarations are not accepted");
  }

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
    static_cast<PacketReader*>(data)->Start(name, atts);
  }

  static void XMLCALL OnEnd(void* data, const XML_Char*) {
    auto* self = static_cast<PacketReader*>(data);
    if (self->stack_.empty()) return;
    if (self->error_.empty()) self->End(self->stack_.back());
    self->stack_.pop_back();
  }

  void Start(const char* name, const char** atts) {
    Frame frame;
    if (error_.empty()) frame = Enter(name, atts);
    stack_.push_back(std::move(frame));
  }

  static Frame At(Where where) {
    Frame frame;
    frame.where = where;
    return frame;
  }

  // The elements of the packet's structure, each allowed in one place and
  // (but FIELD and ROW) once: a packet whose structure is out of order
  // would give rows of another shape than the field list.
  static bool IsStructural(const char* name) {
    for (const char* known : {"DATAPACKET", "METADATA", "FIELDS", "FIELD", "PARAMS", "ROWDATA", "ROW"})
      if (std::strcmp(name, known) == 0) return true;
    return false;
  }

  Frame Enter(const char* name, const char** atts) {
    auto named = [&](const char* known) { return std::strcmp(name, known) == 0; };
    if (stack_.empty()) {
      if (named("DATAPACKET")) return At(Where::kPacket);
      return Refuse("the root element is '" + ToCp1252(name) + "', not DATAPACKET");
    }
    Frame& parent = stack_.back();
    switch (parent.where) {
      case Where::kPacket:
        if (named("METADATA")) {
          if (saw_metadata_) return Refuse("a second METADATA");
          saw_metadata_ = true;
          return At(Where::kMetadata);
        }
        if (named("ROWDATA")) {
          if (saw_rowdata_) return Refuse("a second ROWDATA");
          if (!fields_done_) return Refuse("ROWDATA before the field list of METADATA");
          saw_rowdata_ = true;
          rows_ = std::make_unique<RawRows>(packet_.fields.size());
          rowdata_at_ = static_cast<std::size_t>(XML_GetCurrentByteIndex(parser_));
          Frame frame = At(Where::kRowData);
          frame.defs = &packet_.fields;
          frame.names = &names_;
          frame.rows = rows_.get();
          return frame;
        }
        break;
      case Where::kMetadata:
        if (named("FIELDS")) {
          if (saw_fields_) return Refuse("a second FIELDS");
          saw_fields_ = true;
          Frame frame = At(Where::kFields);
          frame.defs = &packet_.fields;
          frame.names = &names_;
          return frame;
        }
        if (named("PARAMS")) {
          if (saw_params_) return Refuse("a second PARAMS");
          saw_params_ = true;
          ReadParams(atts);
          return At(Where::kSkip);
        }
        break;
      case Where::kNestedField:
        if (named("FIELDS")) {
          if (parent.saw_fields) return Refuse("a second FIELDS in a nested field");
          parent.saw_fields = true;
          Frame frame = At(Where::kFields);
          frame.defs = parent.defs;
          frame.names = parent.names;
          return frame;
        }
        if (named("PARAMS")) {  // the nested rows' own settings, kept as they are
          if (parent.saw_params) return Refuse("a second PARAMS in a nested field");
          parent.saw_params = true;
          KeepParams(atts, parent.nested_def->Params);
          return At(Where::kSkip);
        }
        break;
      case Where::kFields:
        if (named("FIELD")) return ReadField(atts, *parent.defs, *parent.names);
        break;
      case Where::kRowData:
        if (named("ROW")) return ReadRow(atts, parent);
        break;
      case Where::kNested:  // nested rows are named after their field; any name is a row
        return ReadRow(atts, parent);
      case Where::kRow: {
        const auto it = parent.names->by_name.find(name);
        if (it != parent.names->by_name.end() &&
            (*parent.defs)[static_cast<std::size_t>(it->second)].DataType == TFieldType::ftDataSet) {
          return EnterNested(parent, it->second);
        }
        break;
      }
      case Where::kSkip:
        break;
    }
    if (IsStructural(name)) return Refuse(std::string(name) + " out of its place");
    return At(Where::kSkip);
  }

  Frame Refuse(const std::string& what) {
    Fail(what.starts_with("the root") ? what : "the packet's structure is out of order: " + what);
    return At(Where::kSkip);
  }

  void End(Frame& frame) {
    if (frame.where == Where::kFields && frame.defs == &packet_.fields) fields_done_ = true;
    if (frame.where == Where::kNestedField) {
      --nesting_;
      if (!frame.saw_fields || frame.defs->empty()) Fail("a nested field declares no fields");
    }
    if (frame.where == Where::kNested) LeaveNested(frame);
  }

  Frame ReadField(const char** atts, std::vector<TFieldDef>& defs, Names& names) {
    const char* attrname = nullptr;
    const char* fieldtype = nullptr;
    const char* width = nullptr;
    const char* decimals = nullptr;
    const char* subtype = nullptr;
    for (const char** a = atts; *a; a += 2) {
      if (std::strcmp(a[0], "attrname") == 0) attrname = a[1];
      if (std::strcmp(a[0], "fieldtype") == 0) fieldtype = a[1];
      if (std::strcmp(a[0], "WIDTH") == 0) width = a[1];
      if (std::strcmp(a[0], "DECIMALS") == 0) decimals = a[1];
      if (std::strcmp(a[0], "SUBTYPE") == 0) subtype = a[1];
    }
    if (!attrname || !*attrname) return Refuse("a FIELD has no attrname");
    TFieldDef def;
    def.Name = ToCp1252(attrname);
    // A field whose name cannot stand in a row could never be saved again.
    if (!IsWritableName(def.Name)) {
      Fail("the field name '" + def.Name + "' cannot name a value in a row");
      return {};
    }
    if (!fieldtype) return Refuse("field '" + def.Name + "' has no fieldtype");
    const PacketType* type = FindPacketType(fieldtype);
    if (!type) {
      return Refuse("field '" + def.Name + "' has the unknown type '" + ToCp1252(fieldtype) + "'");
    }
    def.DataType = type->type;
    if (subtype) def.SubType = ToCp1252(subtype);
    if (def.DataType == TFieldType::ftBlob && def.SubType == "Text") {
      def.DataType = TFieldType::ftMemo;  // the subtype goes without saying
      def.SubType.clear();
    }
    for (const char** a = atts; *a; a += 2) {
      if (IsWrittenAttribute(def, a[0])) continue;
      std::string name = ToCp1252(a[0]);
      if (!IsWritableName(name)) {
        Fail("field '" + def.Name + "' has the attribute '" + name + "', whose name cannot be written back");
        return {};
      }
      def.Attributes.emplace_back(std::move(name), ToCp1252(a[1]));
    }
    auto size = [&](const char* text, int& out, int per) {
      long long number = 0;
      if (!ParseInteger(text, number) || number < 0 || number > INT_MAX) {
        Fail("field '" + def.Name + "' has a bad size '" + ToCp1252(text) + "'");
        return false;
      }
      out = static_cast<int>(number / per);
      return true;
    };
    if (type->width_per_char && width && !size(width, def.Size, type->width_per_char)) return {};
    // A text field without a width (or of none) gets one when its rows are
    // read: its values are never cut.
    const bool open_width = HasCapacity(def.DataType) && def.Size == 0;
    if (IsDecimal(def.DataType)) {
      if (decimals && !size(decimals, def.Size, 1)) return {};
      if (width && !size(width, def.Precision, 1)) return {};
      if (def.Precision == 0) def.Precision = kDecimalWidth;
    }
    for (const TFieldDef& other : defs) {
      if (SameText(other.Name, def.Name)) return Refuse("field '" + def.Name + "' is repeated");
    }
    const auto index = static_cast<int>(defs.size());
    names.by_name.emplace(attrname, index);
    names.names.emplace_back(attrname);
    names.nested.emplace_back();
    names.open_width.push_back(open_width ? 1 : 0);
    names.longest.push_back(0);
    defs.push_back(std::move(def));
    if (defs.back().DataType != TFieldType::ftDataSet) return At(Where::kSkip);
    if (++nesting_ > kMaxNesting) return Refuse("nested fields more than 16 deep");
    names.nested.back() = std::make_unique<Names>();
    Frame frame = At(Where::kNestedField);
    frame.defs = &defs.back().Children;
    frame.names = names.nested.back().get();
    frame.nested_def = &defs.back();
    return frame;
  }

  // Attributes of a PARAMS kept as read. The change log and a delta's
  // marker go with rows the reader merges, so they are not kept.
  bool KeepParams(const char** atts, PacketParams& params) {
    for (const char** a = atts; *a; a += 2) {
      std::string name = ToCp1252(a[0]);
      if (name == "CHANGE_LOG" || name == "DATASET_DELTA") continue;
      if (!IsWritableName(name)) {
        Fail("the packet's setting '" + name + "' has a name that cannot be written back");
        return false;
      }
      params.emplace_back(std::move(name), ToCp1252(a[1]));
    }
    return true;
  }

  // The packet's PARAMS: its index definitions, its change log, and the
  // other settings kept as read.
  void ReadParams(const char** atts) {
    std::map<long long, TIndexDef> found;
    std::vector<const char*> others{nullptr};
    for (const char** a = atts; *a; a += 2) {
      const std::string_view name = a[0];
      if (name == "CHANGE_LOG") ReadChangeLog(a[1]);
      long long number = 0;
      std::string_view part;
      if (!ParseIndexPart(name, number, part)) {
        others.insert(others.end() - 1, {a[0], a[1]});
        continue;
      }
      TIndexDef& index = found[number];
      if (part == kIndexName) index.Name = ToCp1252(a[1]);
      if (part == kIndexFields) index.Fields = ToCp1252(a[1]);
      if (part == kIndexDescFields) index.DescFields = ToCp1252(a[1]);
    }
    if (!KeepParams(others.data(), params_)) return;
    for (auto& [number, index] : found) {
      const std::string which = "index " + IntToStr(number);
      if (index.Name.empty()) return Fail(which + " of the packet has no name");
      if (index.Fields.empty()) return Fail(which + " of the packet ('" + index.Name + "') has no fields");
      for (const TIndexDef& other : packet_.indexes) {
        if (SameText(other.Name, index.Name)) return Fail("the index '" + index.Name + "' is repeated");
      }
      packet_.indexes.push_back(std::move(index));
    }
  }

  // Triples of row, earlier version of the row (0: none) and change, the
  // rows counted from 1 in the order of ROWDATA.
  void ReadChangeLog(std::string_view text) {
    has_change_log_ = true;
    std::size_t at = 0;
    while (at < text.size()) {
      while (at < text.size() && text[at] == ' ') ++at;
      std::size_t end = at;
      while (end < text.size() && text[end] != ' ') ++end;
      if (end == at) break;
      long long number = 0;
      if (!ParseInteger(text.substr(at, end - at), number) || number < 0) {
        return Fail("the change log holds '" + ToCp1252(text.substr(at, end - at)) + "', not a row number");
      }
      change_log_.push_back(number);
      at = end;
    }
    if (change_log_.size() % 3 != 0) Fail("the change log is not made of triples");
  }

  Frame ReadRow(const char** atts, const Frame& parent) {
    const std::vector<TFieldDef>& defs = *parent.defs;
    RawRows& raw = *parent.rows;
    if (&raw == rows_.get() && raw.store.size() == kSampleRows) SizeStore(raw.store);
    const std::size_t row = raw.store.AddRow();
    std::size_t position = 0;
    for (const char** a = atts; *a; a += 2, ++position) {
      const int field = parent.names->Find(position, a[0]);
      if (field < 0) {
        long long state = 0;
        if (std::strcmp(a[0], "RowState") == 0 && ParseInteger(a[1], state)) {
          if (state != 0) {
            raw.states.resize(row + 1, 0);
            raw.states[row] = state;
          }
          continue;
        }
        return Refuse("row " + IntToStr(static_cast<long long>(row + 1)) + " has a value for the unknown field '" +
                      ToCp1252(a[0]) + "'");
      }
      const auto index = static_cast<std::size_t>(field);
      if (!ReadValue(defs[index], a[1], raw.store, row, index)) return {};
      if (parent.names->open_width[index]) {
        std::size_t& longest = parent.names->longest[index];
        longest = std::max(longest, raw.store.TextLength(row, index));
      }
    }
    Frame frame = At(Where::kRow);
    frame.defs = parent.defs;
    frame.names = parent.names;
    frame.rows = parent.rows;
    frame.row = row;
    return frame;
  }

  // Once the first rows are read, the store takes room for as many rows
  // and as much text as the rest of the packet holds at the same rate, so
  // a long packet is not copied over and over as it grows. A packet whose
  // first rows are no sample of the rest gets no more than its own size in
  // text and twice it in cells; past that the store grows as it must.
  void SizeStore(RowStore& store) const {
    const auto at = static_cast<std::size_t>(XML_GetCurrentByteIndex(parser_));
    if (at <= rowdata_at_ || at > total_bytes_ || store.width() == 0) return;
    const double rate = static_cast<double>(total_bytes_ - rowdata_at_) / static_cast<double>(at - rowdata_at_);
    // Rows of one table take much the same room; texts grow with numbers
    // that grow along the table ("Venda 9", "Venda 12345"), so they get more.
    const double rows = static_cast<double>(store.size()) * rate * 1.02 + 1;
    const double text = static_cast<double>(store.text().size()) * rate * 1.25 + 1;
    const double most_rows = 2.0 * static_cast<double>(total_bytes_) /
                             (static_cast<double>(RowStore::kCellBytes) * static_cast<double>(store.width()));
    store.Reserve(static_cast<std::size_t>(std::min(rows, most_rows)),
                  static_cast<std::size_t>(std::min(text, static_cast<double>(total_bytes_))));
  }

  Frame EnterNested(const Frame& row, int field) {
    const auto index = static_cast<std::size_t>(field);
    Frame frame = At(Where::kNested);
    frame.defs = &(*row.defs)[index].Children;
    frame.names = row.names->nested[index].get();
    frame.own = std::make_unique<RawRows>(frame.defs->size());
    frame.rows = frame.own.get();
    frame.field = field;
    return frame;
  }

  // The nested rows are kept as their packet text, written the way the
  // writer writes them, so a packet saved again says the same.
  void LeaveNested(Frame& frame) {
    RowStore rows;
    if (!Resolve(*frame.rows, false, rows)) return;
    const Frame& parent = stack_[stack_.size() - 2];
    const auto index = static_cast<std::size_t>(frame.field);
    const TFieldDef& def = (*parent.defs)[index];
    std::string text;
    AppendRows(text, def.Children, rows, NestedRowTag(def));
    parent.rows->store.PutText(parent.row, index, text);
  }

  // The value of `field` in `row` of the store, from its attribute text.
  bool ReadValue(const TFieldDef& def, const char* text, RowStore& store, std::size_t row, std::size_t field) {
    const std::string_view view = text;
    if (HasCapacity(def.DataType)) {
      std::string& buffer = store.text();
      const std::size_t start = buffer.size();
      AppendCp1252(buffer, view);
      const std::size_t length = buffer.size() - start;
      // A value longer than its field's width is refused, never cut.
      if (def.Size > 0 && length > static_cast<std::size_t>(def.Size)) {
        buffer.resize(start);
        Fail("row " + IntToStr(static_cast<long long>(row + 1)) + " has a value of " +
             IntToStr(static_cast<long long>(length)) + " characters for field '" + def.Name + "', whose width is " +
             IntToStr(def.Size));
        return false;
      }
      store.PutText(row, field, start);
      return true;
    }
    if (def.DataType == TFieldType::ftMemo || def.DataType == TFieldType::ftBlob) {
      // Base64, as the format has it; a writer that put the text itself is
      // taken at its word.
      std::string bytes;
      if (!ParseBase64(view, bytes)) {
        bytes.clear();
        AppendCp1252(bytes, view);
      }
      store.PutText(row, field, bytes);
      return true;
    }
    if (view.empty()) {  // an empty text is a null
      store.PutNull(row, field);
      return true;
    }
    bool good = false;
    double number = 0;
    switch (def.DataType) {
      case TFieldType::ftShortint:
      case TFieldType::ftByte:
      case TFieldType::ftSmallint:
      case TFieldType::ftWord:
      case TFieldType::ftInteger:
      case TFieldType::ftLongWord:
      case TFieldType::ftLargeint: {
        long long whole = 0, low = 0, high = 0;
        IntegerRange(def.DataType, low, high);
        good = ParseInteger(view, whole) && whole >= low && whole <= high;
        if (good) store.PutInteger(row, field, whole);
        break;
      }
      case TFieldType::ftFloat:
      case TFieldType::ftBCD:
      case TFieldType::ftFMTBcd:
        good = ParseReal(view, number);
        if (good) store.PutReal(row, field, number);
        break;
      case TFieldType::ftDate:
      case TFieldType::ftDateTime:
      case TFieldType::ftTimeStamp:
        // A date field holds whole days: a time of day in it is not dropped
        // but refused.
        good = ParseDateTime(view, number) && (def.DataType != TFieldType::ftDate || number == std::trunc(number));
        if (good) store.PutReal(row, field, number);
        break;
      case TFieldType::ftTime:
        good = ParseTime(view, number);
        if (good) store.PutReal(row, field, number);
        break;
      case TFieldType::ftBoolean: {
        bool flag = false;
        good = ParseBoolean(view, flag);
        if (good) store.PutBoolean(row, field, flag);
        break;
      }
      default:
        break;
    }
    if (!good) {
      Fail("row " + IntToStr(static_cast<long long>(row + 1)) + " has the bad value '" + ToCp1252(view) +
           "' for field '" + def.Name + "'");
    }
    return good;
  }

  // The rows their writer saw. A change log links each changed row to its
  // earlier version wherever the two stand: the row keeps the place of its
  // first version and takes the values of each later one; a row deleted at
  // any version is gone. Without a log a modified row follows the row it
  // changes, and a deleted row is skipped.
  bool Resolve(RawRows& raw, bool use_log, RowStore& rows) {
    RowStore& store = raw.store;
    const std::size_t n = store.size();
    // Rows as written, none changed or deleted: the store is the table.
    if (raw.states.empty() && (!use_log || change_log_.empty())) {
      rows = std::move(store);
      return true;
    }
    std::vector<long long> earlier(n, -1), later(n, -1);
    std::vector<char> deleted(n, 0);
    for (std::size_t i = 0; i < n; ++i) deleted[i] = (raw.State(i) & kRowDeleted) != 0;
    std::vector<std::size_t> kept;
    kept.reserve(n);
    if (!use_log) {
      for (std::size_t i = 0; i < n; ++i) {
        const long long state = raw.State(i);
        if (state & kRowDeleted) continue;
        if ((state & kRowModified) && !kept.empty()) {
          store.Overlay(kept.back(), i);
        } else {
          kept.push_back(i);
        }
      }
      rows = store.Pick(kept);
      return true;
    }
    for (std::size_t t = 0; t < change_log_.size(); t += 3) {
      const long long row = change_log_[t], before = change_log_[t + 1], change = change_log_[t + 2];
      if (row < 1 || static_cast<std::size_t>(row) > n || static_cast<std::size_t>(before) > n || before == row) {
        Fail("the change log names row " + IntToStr(row) + " of " + IntToStr(static_cast<long long>(n)));
        return false;
      }
      const auto r = static_cast<std::size_t>(row - 1);
      if (change & kRowDeleted) deleted[r] = 1;
      if (before == 0) continue;
      const auto b = static_cast<std::size_t>(before - 1);
      if (earlier[r] >= 0 || later[b] >= 0) {
        Fail("the change log links row " + IntToStr(row) + " twice");
        return false;
      }
      earlier[r] = static_cast<long long>(b);
      later[b] = static_cast<long long>(r);
    }
    std::size_t visited = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (earlier[i] >= 0) continue;  // a later version: merged into its first
      bool gone = deleted[i];
      ++visited;
      for (long long j = later[i]; j >= 0; j = later[static_cast<std::size_t>(j)]) {
        store.Overlay(i, static_cast<std::size_t>(j));
        gone = gone || deleted[static_cast<std::size_t>(j)];
        ++visited;
      }
      if (!gone) kept.push_back(i);
    }
    if (visited != n) {
      Fail("the change log links rows in a circle");
      return false;
    }
    rows = store.Pick(kept);
    return true;
  }

  void Finish() {
    if (!error_.empty()) return;
    if (!saw_metadata_) {
      error_ = Prefix() + "METADATA is missing";
    } else if (packet_.fields.empty()) {
      error_ = Prefix() + "the packet declares no fields";
    } else if (!rows_) {
      packet_.rows = RowStore(packet_.fields.size());
      GiveWidths(packet_.fields, names_);
    } else if (Resolve(*rows_, has_change_log_, packet_.rows)) {
      GiveWidths(packet_.fields, names_);
    }
  }

  // A text field that came without a width gets the one a field declared
  // without a size has (20), or its longest value's when that is longer;
  // the packet saved says so, and loads again to the same layout.
  static void GiveWidths(std::vector<TFieldDef>& defs, const Names& names) {
    for (std::size_t i = 0; i < defs.size(); ++i) {
      if (names.open_width[i]) {
        defs[i].Size = static_cast<int>(
            std::min<std::size_t>(std::max<std::size_t>(names.longest[i], kDefaultTextWidth), INT_MAX / 2));
      }
      if (names.nested[i]) GiveWidths(defs[i].Children, *names.nested[i]);
    }
  }

  std::string source_;
  XML_Parser parser_ = nullptr;
  std::string error_;
  bool declared_encoding_ = false;
  std::vector<Frame> stack_;
  bool saw_metadata_ = false;
  bool saw_fields_ = false;
  bool saw_params_ = false;
  bool saw_rowdata_ = false;
  bool fields_done_ = false;
  std::size_t nesting_ = 0;
  bool has_change_log_ = false;
  std::vector<long long> change_log_;
  LoadedPacket packet_;
  PacketParams params_;
  Names names_;
  std::unique_ptr<RawRows> rows_;  // ROWDATA's, once it opens
  std::size_t total_bytes_ = 0;
  std::size_t rowdata_at_ = 0;  // where ROWDATA opens in the packet
};

}  // namespace

bool IsWritableName(std::string_view name) {
  if (name.empty()) return false;
  bool beyond_ascii = false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      beyond_ascii = true;
    } else if (!IsXmlNameChar(c, i == 0)) {
      return false;
    }
  }
  if (!beyond_ascii) return true;
  // The name as the writer puts it, in a packet of one element.
  std::string document = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><R ";
  document.append(name);
  document += "=\"\"/>";
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (!parser) return false;
  XML_SetUnknownEncodingHandler(parser, &OnUnknownEncoding, nullptr);
  const bool good = XML_Parse(parser, document.data(), static_cast<int>(document.size()), XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return good;
}

LoadedPacket LoadPacket(std::string_view bytes, const std::string& source) {
  PacketReader reader(source);
  if (reader.Parse(bytes, nullptr)) return reader.Take();
  // Raw single-byte text without an encoding declaration: read it as the
  // code page the system writes.
  if (!reader.declared_encoding() && !IsValidUtf8(bytes)) {
    PacketReader retry(source);
    if (retry.Parse(bytes, "windows-1252")) return retry.Take();
  }
  throw EDatabaseError(reader.error());
}

TDataPacket ReadPacket(std::string_view bytes, const std::string& source, PacketParams* params) {
  LoadedPacket loaded = LoadPacket(bytes, source);
  TDataPacket packet{std::move(loaded.fields), std::move(loaded.indexes), {}};
  packet.rows.reserve(loaded.rows.size());
  for (std::size_t i = 0; i < loaded.rows.size(); ++i) packet.rows.push_back(loaded.rows.GetRow(i));
  if (params) *params = std::move(loaded.params);
  return packet;
}

}  // namespace platform::dataset::xml
