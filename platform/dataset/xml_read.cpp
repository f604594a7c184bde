// Reading a data packet with expat. Expat hands every text over as UTF-8;
// values go back to Windows-1252 on the way into the rows. Attribute names
// of a ROW are matched to fields once per position and then confirmed, so
// a long packet costs one string compare per value.
#include <expat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
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
  return SameText(name, "windows-1252") || SameText(name, "cp1252") ||
         SameText(name, "x-cp1252");
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
    const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0                   ? 3
                             : (lead & 0xF8) == 0xF0                   ? 4
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

class PacketReader {
 public:
  explicit PacketReader(const std::string& source) : source_(source) {}

  // False when the parser failed; error() tells why.
  bool Parse(std::string_view bytes, const char* encoding) {
    XML_Parser parser = XML_ParserCreate(encoding);
    if (!parser) throw EDatabaseError(Prefix() + "out of memory");
    parser_ = parser;
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
  TDataPacket& packet() { return packet_; }

 private:
  enum class Where { kPacket, kMetadata, kFields, kRowData, kSkip };

  std::string Prefix() const {
    return "Error reading data packet" + (source_.empty() ? std::string() : " '" + source_ + "'") +
           ": ";
  }

  void Fail(const std::string& message) {
    if (!error_.empty()) return;
    error_ = Prefix() + "line " + IntToStr(XML_GetCurrentLineNumber(parser_)) + ": " + message;
    XML_StopParser(parser_, XML_FALSE);
  }

  static void XMLCALL OnDeclaration(void* data, const XML_Char*, const XML_Char* encoding, int) {
    static_cast<PacketReader*>(data)->declared_encoding_ = encoding != nullptr;
  }

  static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                int) {
    static_cast<PacketReader*>(data)->Fail("document type declarations are not accepted");
  }

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
    static_cast<PacketReader*>(data)->Start(name, atts);
  }

  static void XMLCALL OnEnd(void* data, const XML_Char*) {
    auto* self = static_cast<PacketReader*>(data);
    if (self->stack_.empty()) return;
    if (self->stack_.back() == Where::kFields) self->fields_done_ = true;
    self->stack_.pop_back();
  }

  void Start(const char* name, const char** atts) {
    const Where here = error_.empty() ? Enter(name, atts) : Where::kSkip;
    stack_.push_back(here);
  }

  // The elements of the packet's structure, each allowed in one place and
  // (but FIELD and ROW) once: a packet whose structure is out of order
  // would give rows of another shape than the field list.
  static bool IsStructural(const char* name) {
    for (const char* known : {"DATAPACKET", "METADATA", "FIELDS", "FIELD", "PARAMS", "ROWDATA", "ROW"})
      if (std::strcmp(name, known) == 0) return true;
    return false;
  }

  Where Enter(const char* name, const char** atts) {
    const Where parent = stack_.empty() ? Where::kSkip : stack_.back();
    auto named = [&](const char* known) { return std::strcmp(name, known) == 0; };
    if (stack_.empty()) {
      if (named("DATAPACKET")) return Where::kPacket;
      Fail("the root element is '" + ToCp1252(name) + "', not DATAPACKET");
    } else if (parent == Where::kPacket && named("METADATA")) {
      if (saw_metadata_) return Refuse("a second METADATA");
      saw_metadata_ = true;
      return Where::kMetadata;
    } else if (parent == Where::kPacket && named("ROWDATA")) {
      if (saw_rowdata_) return Refuse("a second ROWDATA");
      if (!fields_done_) return Refuse("ROWDATA before the field list of METADATA");
      saw_rowdata_ = true;
      return Where::kRowData;
    } else if (parent == Where::kMetadata && named("FIELDS")) {
      if (saw_fields_) return Refuse("a second FIELDS");
      saw_fields_ = true;
      return Where::kFields;
    } else if (parent == Where::kMetadata && named("PARAMS")) {
      if (saw_params_) return Refuse("a second PARAMS");
      saw_params_ = true;
      ReadParams(atts);
    } else if (parent == Where::kFields && named("FIELD")) {
      ReadField(atts);
    } else if (parent == Where::kRowData && named("ROW")) {
      ReadRow(atts);
    } else if (IsStructural(name)) {
      return Refuse(std::string(name) + " out of its place");
    }
    return Where::kSkip;
  }

  Where Refuse(const std::string& what) {
    Fail("the packet's structure is out of order: " + what);
    return Where::kSkip;
  }

  void ReadField(const char** atts) {
    const char* attrname = nullptr;
    const char* fieldtype = nullptr;
    const char* width = nullptr;
    const char* decimals = nullptr;
    for (const char** a = atts; *a; a += 2) {
      if (std::strcmp(a[0], "attrname") == 0) attrname = a[1];
      if (std::strcmp(a[0], "fieldtype") == 0) fieldtype = a[1];
      if (std::strcmp(a[0], "WIDTH") == 0) width = a[1];
      if (std::strcmp(a[0], "DECIMALS") == 0) decimals = a[1];
    }
    if (!attrname || !*attrname) return Fail("a FIELD has no attrname");
    TFieldDef def;
    def.Name = ToCp1252(attrname);
    if (!fieldtype) return Fail("field '" + def.Name + "' has no fieldtype");
    const PacketType* type = FindPacketType(fieldtype);
    if (!type) {
      return Fail("field '" + def.Name + "' has the unknown type '" + ToCp1252(fieldtype) + "'");
    }
    def.DataType = type->type;
    long long number = 0;
    const char* size_text = type->width_per_char ? width : def.DataType == TFieldType::ftBCD ? decimals
                                                                                          : nullptr;
    if (size_text) {
      if (!ParseInteger(size_text, number) || number < 0 || number > INT_MAX) {
        return Fail("field '" + def.Name + "' has a bad size '" + ToCp1252(size_text) + "'");
      }
      def.Size = static_cast<int>(number / std::max(type->width_per_char, 1));
    }
    for (const TFieldDef& other : packet_.fields) {
      if (SameText(other.Name, def.Name)) return Fail("field '" + def.Name + "' is repeated");
    }
    by_name_.emplace(attrname, static_cast<int>(packet_.fields.size()));
    names_.emplace_back(attrname);
    packet_.fields.push_back(std::move(def));
  }

  void ReadParams(const char** atts) {
    std::map<long long, TIndexDef> found;
    for (const char** a = atts; *a; a += 2) {
      std::string_view name = a[0];
      if (!name.starts_with(kIndexPrefix)) continue;
      name.remove_prefix(kIndexPrefix.size());
      const std::size_t digits = name.find('_');
      long long number = 0;
      if (digits == std::string_view::npos || !ParseInteger(name.substr(0, digits), number)) {
        continue;
      }
      const std::string_view part = name.substr(digits);
      TIndexDef& index = found[number];
      if (part == kIndexName) index.Name = ToCp1252(a[1]);
      if (part == kIndexFields) index.Fields = ToCp1252(a[1]);
      if (part == kIndexDescFields) index.DescFields = ToCp1252(a[1]);
    }
    for (auto& [number, index] : found) {
      if (!index.Name.empty() && !index.Fields.empty()) packet_.indexes.push_back(std::move(index));
    }
  }

  int FieldOf(std::size_t position, const char* name) {
    if (position < guess_.size()) {
      const int field = guess_[position];
      if (field >= 0 && names_[static_cast<std::size_t>(field)] == name) return field;
    } else {
      guess_.resize(position + 1, -1);
    }
    const auto it = by_name_.find(name);
    const int field = it == by_name_.end() ? -1 : it->second;
    guess_[position] = field;
    return field;
  }

  void ReadRow(const char** atts) {
    const std::size_t count = packet_.fields.size();
    Row row(count);
    present_.assign(count, 0);
    long long row_state = 0;
    std::size_t position = 0;
    for (const char** a = atts; *a; a += 2, ++position) {
      const int field = FieldOf(position, a[0]);
      if (field < 0) {
        if (std::strcmp(a[0], "RowState") == 0 && ParseInteger(a[1], row_state)) continue;
        return Fail("row " + IntToStr(static_cast<long long>(row_number_ + 1)) +
                    " has a value for the unknown field '" + ToCp1252(a[0]) + "'");
      }
      const auto index = static_cast<std::size_t>(field);
      if (!ReadValue(packet_.fields[index], a[1], row[index])) return;
      present_[index] = 1;
    }
    ++row_number_;
    if (row_state & kRowDeleted) return;
    if ((row_state & kRowModified) && !packet_.rows.empty()) {
      Row& original = packet_.rows.back();
      for (std::size_t i = 0; i < count; ++i) {
        if (present_[i]) original[i] = std::move(row[i]);
      }
      return;
    }
    packet_.rows.push_back(std::move(row));
  }

  bool ReadValue(const TFieldDef& def, const char* text, Variant& value) {
    const std::string_view view = text;
    if (def.DataType == TFieldType::ftString) {
      std::string& s = value.emplace<std::string>();
      s.reserve(view.size());
      AppendCp1252(s, view);
      const auto capacity = static_cast<std::size_t>(TextCapacity(def));
      if (s.size() > capacity) s.resize(capacity);
      return true;
    }
    if (view.empty()) return true;  // an empty text is a null
    bool good = false;
    switch (def.DataType) {
      case TFieldType::ftSmallint:
      case TFieldType::ftInteger: {
        long long number = 0;
        const long long limit = def.DataType == TFieldType::ftSmallint ? 32767 : INT_MAX;
        good = ParseInteger(view, number) && number >= -limit - 1 && number <= limit;
        if (good) value = number;
        break;
      }
      case TFieldType::ftFloat:
      case TFieldType::ftBCD: {
        double number = 0;
        good = ParseReal(view, number);
        if (good) value = number;
        break;
      }
      case TFieldType::ftDate:
      case TFieldType::ftDateTime: {
        double when = 0;
        good = ParseDateTime(view, when);
        if (good) value = def.DataType == TFieldType::ftDate ? std::trunc(when) : when;
        break;
      }
      case TFieldType::ftBoolean: {
        bool flag = false;
        good = ParseBoolean(view, flag);
        if (good) value = flag;
        break;
      }
      default:
        break;
    }
    if (!good) {
      Fail("row " + IntToStr(static_cast<long long>(row_number_ + 1)) + " has the bad value '" +
           ToCp1252(view) + "' for field '" + def.Name + "'");
    }
    return good;
  }

  void Finish() {
    if (!error_.empty()) return;
    if (!saw_metadata_) {
      error_ = Prefix() + "METADATA is missing";
    } else if (packet_.fields.empty()) {
      error_ = Prefix() + "the packet declares no fields";
    }
  }

  std::string source_;
  XML_Parser parser_ = nullptr;
  std::string error_;
  bool declared_encoding_ = false;
  std::vector<Where> stack_;
  bool saw_metadata_ = false;
  bool saw_fields_ = false;
  bool saw_params_ = false;
  bool saw_rowdata_ = false;
  bool fields_done_ = false;
  TDataPacket packet_;
  std::vector<std::string> names_;  // attribute names of the fields, as in the packet
  std::unordered_map<std::string, int> by_name_;
  std::vector<int> guess_;  // field of each attribute position in the last row
  std::vector<char> present_;
  std::size_t row_number_ = 0;
};

}  // namespace

TDataPacket ReadPacket(std::string_view bytes, const std::string& source) {
  PacketReader reader(source);
  if (reader.Parse(bytes, nullptr)) return std::move(reader.packet());
  // Raw single-byte text without an encoding declaration: read it as the
  // code page the system writes.
  if (!reader.declared_encoding() && !IsValidUtf8(bytes)) {
    PacketReader retry(source);
    if (retry.Parse(bytes, "windows-1252")) return std::move(retry.packet());
  }
  throw EDatabaseError(reader.error());
}

}  // namespace platform::dataset::xml
