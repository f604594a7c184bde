// Writing a data packet in the single-byte form: pure ASCII, every byte
// above 127 as the character reference of its Unicode code point, so any
// reader of the format takes it whatever code page it assumes.
#include "platform/dataset/values.h"
#include "platform/dataset/xml.h"
#include "platform/dataset/xml_text.h"
#include "platform/base/errors.h"

namespace platform::dataset::xml {

namespace {

// WIDTH of an exact decimal field: the type's widest precision.
constexpr int kDecimalWidth = 32;

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  AppendEscaped(out, value);
  out += '"';
}

void AppendField(std::string& out, const TFieldDef& def) {
  const char* type = PacketTypeName(def.DataType);
  if (!type) throw EDatabaseError("Field '" + def.Name + "' has no type that a file can hold");
  if (!IsXmlName(def.Name)) {
    throw EDatabaseError("Field name '" + def.Name + "' cannot be written to a file");
  }
  out += "<FIELD";
  AppendAttribute(out, "attrname", def.Name);
  AppendAttribute(out, "fieldtype", type);
  if (def.DataType == TFieldType::ftString) {
    AppendAttribute(out, "WIDTH", std::to_string(TextCapacity(def)));
  } else if (def.DataType == TFieldType::ftBCD) {
    AppendAttribute(out, "DECIMALS", std::to_string(def.Size));
    AppendAttribute(out, "WIDTH", std::to_string(kDecimalWidth));
  }
  out += "/>";
}

void AppendParams(std::string& out, const std::vector<TIndexDef>& indexes) {
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
  out += "/>";
}

void AppendValue(std::string& out, const TFieldDef& def, const Variant& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    AppendEscaped(out, *text);
  } else if (const auto* integer = std::get_if<long long>(&value)) {
    AppendInteger(out, *integer);
  } else if (const auto* number = std::get_if<double>(&value)) {
    switch (def.DataType) {
      case TFieldType::ftDate: AppendDate(out, *number); break;
      case TFieldType::ftDateTime: AppendDateTime(out, *number); break;
      case TFieldType::ftBCD: AppendReal(out, *number, def.Size); break;
      default: AppendReal(out, *number, 0);
    }
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    out += *flag ? "TRUE" : "FALSE";
  }
}

}  // namespace

std::string WritePacket(const std::vector<TFieldDef>& fields, const std::vector<TIndexDef>& indexes,
                        const std::vector<Row>& rows) {
  std::string out;
  out.reserve(256 + fields.size() * 32 * (rows.size() + 2));
  out += "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
  for (const TFieldDef& def : fields) AppendField(out, def);
  out += "</FIELDS>";
  AppendParams(out, indexes);
  out += "</METADATA><ROWDATA>";
  for (const Row& row : rows) {
    out += "<ROW";
    for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i) {
      if (std::holds_alternative<std::monostate>(row[i])) continue;
      out += ' ';
      out += fields[i].Name;
      out += "=\"";
      AppendValue(out, fields[i], row[i]);
      out += '"';
    }
    out += "/>";
  }
  out += "</ROWDATA></DATAPACKET>";
  return out;
}

}  // namespace platform::dataset::xml
