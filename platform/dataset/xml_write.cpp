// Writing a data packet in the single-byte form: values in ASCII, every
// byte above 127 as the character reference of its Unicode code point, so
// any reader of the format takes it whatever code page it assumes. Names
// cannot carry references: a field or attribute name with letters of the
// code page goes as its bytes, and the packet then declares its code page.
#include <algorithm>

#include "platform/dataset/values.h"
#include "platform/dataset/xml.h"
#include "platform/dataset/xml_text.h"
#include "platform/base/errors.h"

namespace platform::dataset::xml {

bool IsDecimal(TFieldType type) { return type == TFieldType::ftBCD || type == TFieldType::ftFMTBcd; }

namespace {

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendEscaped(out, value);
  out += '"';
}

void AppendFields(std::string& out, const std::vector<TFieldDef>& fields);
void AppendParams(std::string& out, const std::vector<TIndexDef>& indexes, const PacketParams& params,
                  bool packet_level);

void AppendField(std::string& out, const TFieldDef& def) {
  const char* type = PacketTypeName(def.DataType);
  if (!type) throw EDatabaseError("Field '" + def.Name + "' has no type that a file can hold");
  if (!IsWritableName(def.Name)) {
    throw EDatabaseError("Field name '" + def.Name + "' cannot be written to a file");
  }
  out += "<FIELD";
  AppendAttribute(out, "attrname", def.Name);
  AppendAttribute(out, "fieldtype", type);
  if (HasCapacity(def.DataType)) {
    const long long per_char = def.DataType == TFieldType::ftWideString ? 2 : 1;
    AppendAttribute(out, "WIDTH", std::to_string(TextCapacity(def) * per_char));
  } else if (IsDecimal(def.DataType)) {
    AppendAttribute(out, "DECIMALS", std::to_string(def.Size));
    AppendAttribute(out, "WIDTH", std::to_string(def.Precision > 0 ? def.Precision : kDecimalWidth));
  }
  if (def.DataType == TFieldType::ftMemo) {
    AppendAttribute(out, "SUBTYPE", "Text");
  } else if (!def.SubType.empty()) {
    AppendAttribute(out, "SUBTYPE", def.SubType);
  }
  for (const auto& [name, value] : def.Attributes) {
    if (IsWrittenAttribute(def, name)) continue;
    if (!IsWritableName(name)) {
      throw EDatabaseError("Attribute '" + name + "' of field '" + def.Name + "' cannot be written to a file");
    }
    AppendAttribute(out, name, value);
  }
  if (def.DataType != TFieldType::ftDataSet) {
    out += "/>";
    return;
  }
  if (def.Children.empty()) {
    throw EDatabaseError("Nested field '" + def.Name + "' has no fields of its own");
  }
  out += '>';
  AppendFields(out, def.Children);
  AppendParams(out, {}, def.Params, false);
  out += "</FIELD>";
}

void AppendFields(std::string& out, const std::vector<TFieldDef>& fields) {
  out += "<FIELDS>";
  for (const TFieldDef& def : fields) AppendField(out, def);
  out += "</FIELDS>";
}

void AppendParams(std::string& out, const std::vector<TIndexDef>& indexes, const PacketParams& params,
                  bool packet_level) {
  out += "<PARAMS";
  int number = 0;
  for (const TIndexDef& index : indexes) {
    const std::string prefix = std::string(kIndexPrefix) + std::to_string(++number);
    AppendAttribute(out, prefix + std::string(kIndexName), index.Name);
    AppendAttribute(out, prefix + std::string(kIndexFields), index.Fields);
    if (!index.DescFields.empty()) {
      AppendAttribute(out, prefix + std::string(kIndexDescFields), index.DescFields);
    }
  }
  for (const auto& [name, value] : params) {
    // The packet's indexes are written above (a nested field's settings
    // are all its own); a change log would not match the merged rows.
    long long index_number = 0;
    std::string_view part;
    if (packet_level && ParseIndexPart(name, index_number, part)) continue;
    if (name == "CHANGE_LOG" || name == "DATASET_DELTA") continue;
    if (!IsWritableName(name)) throw EDatabaseError("Setting '" + name + "' cannot be written to a file");
    AppendAttribute(out, name, value);
  }
  out += "/>";
}

void AppendValue(std::string& out, const TFieldDef& def, const ValueView& value) {
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    if (def.DataType == TFieldType::ftMemo || def.DataType == TFieldType::ftBlob) {
      AppendBase64(out, *text);
    } else {
      AppendEscaped(out, *text);
    }
  } else if (const auto* integer = std::get_if<long long>(&value)) {
    AppendInteger(out, *integer);
  } else if (const auto* number = std::get_if<double>(&value)) {
    switch (def.DataType) {
      case TFieldType::ftDate:
        AppendDate(out, *number);
        break;
      case TFieldType::ftTime:
        AppendTime(out, *number);
        break;
      case TFieldType::ftDateTime:
      case TFieldType::ftTimeStamp:
        AppendDateTime(out, *number);
        break;
      case TFieldType::ftBCD:
      case TFieldType::ftFMTBcd:
        AppendReal(out, *number, def.Size);
        break;
      default:
        AppendReal(out, *number, 0);
    }
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    out += *flag ? "TRUE" : "FALSE";
  }
}

}  // namespace

bool IsWrittenAttribute(const TFieldDef& def, std::string_view name) {
  if (name == "attrname" || name == "fieldtype" || name == "SUBTYPE") return true;
  if (name == "WIDTH") return HasCapacity(def.DataType) || IsDecimal(def.DataType);
  if (name == "DECIMALS") return IsDecimal(def.DataType);
  return false;
}

std::string NestedRowTag(const TFieldDef& def) { return "ROW" + def.Name; }

void AppendRows(std::string& out, const std::vector<TFieldDef>& fields, const RowStore& rows, std::string_view tag) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    out += '<';
    out += tag;
    const std::size_t count = std::min(fields.size(), rows.width());
    bool nested = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (rows.IsNull(r, i)) continue;
      if (fields[i].DataType == TFieldType::ftDataSet) {
        nested = true;
        continue;
      }
      out += ' ';
      out += fields[i].Name;
      out += "=\"";
      AppendValue(out, fields[i], rows.View(r, i));
      out += '"';
    }
    if (!nested) {
      out += "/>";
      continue;
    }
    // Nested rows follow as elements named after their field; the value
    // holds them as written by this function.
    out += '>';
    for (std::size_t i = 0; i < count; ++i) {
      const ValueView value = rows.View(r, i);
      const auto* rows_text = std::get_if<std::string_view>(&value);
      if (fields[i].DataType != TFieldType::ftDataSet || !rows_text) continue;
      out += '<' + fields[i].Name + '>';
      out += *rows_text;
      out += "</" + fields[i].Name + '>';
    }
    out += "</";
    out += tag;
    out += '>';
  }
}

std::string WritePacket(const std::vector<TFieldDef>& fields, const std::vector<TIndexDef>& indexes,
                        const RowStore& rows, const PacketParams& params) {
  std::string out;
  out.reserve(256 + fields.size() * 32 * (rows.size() + 2));
  out += "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA>";
  AppendFields(out, fields);
  AppendParams(out, indexes, params, true);
  out += "</METADATA><ROWDATA>";
  AppendRows(out, fields, rows, "ROW");
  out += "</ROWDATA></DATAPACKET>";
  // Values are all ASCII; a byte beyond it belongs to a name.
  const bool code_page =
      std::any_of(out.begin(), out.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (code_page) out.insert(out.find(" standalone"), " encoding=\"windows-1252\"");
  return out;
}

}  // namespace platform::dataset::xml
