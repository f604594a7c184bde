// Texts of the XML data packet: field type names, value texts as the packet
// holds them (real numbers with '.', dates as "20261210", date-times as
// "20261210T14:03:27000") and the characters of the single-byte form.
// Private to the dataset.
#pragma once
#include <string>
#include <string_view>

#include "platform/dataset/dataset.h"

namespace platform::dataset::xml {

// Field type of a FIELD's fieldtype ("string", "i4", ...); null when the
// packet names a type this table does not hold. `width_per_char` is the
// number of WIDTH units per character (2 for the wide-text type). A
// "bin.hex" field is a memo when its SUBTYPE is "Text", else a blob.
struct PacketType {
  const char* name;
  TFieldType type;
  int width_per_char;
};
const PacketType* FindPacketType(std::string_view name);
const char* PacketTypeName(TFieldType type);

bool ParseInteger(std::string_view text, long long& value);
// A finite number with '.' as the point, optionally in exponent form.
bool ParseReal(std::string_view text, double& value);
// "yyyymmdd" (or "yyyy-mm-dd"), optionally followed by "Thh:nn:ss" and the
// milliseconds ("000" or ".000").
bool ParseDateTime(std::string_view text, double& value);
// "hh:nn:ss" with the milliseconds as above: a time of day.
bool ParseTime(std::string_view text, double& value);
bool ParseBoolean(std::string_view text, bool& value);
// Blob and memo values travel in base64; blanks and line breaks between
// the characters are allowed.
bool ParseBase64(std::string_view text, std::string& bytes);
void AppendBase64(std::string& out, std::string_view bytes);

void AppendInteger(std::string& out, long long value);
// Shortest text that reads back as the same double; with decimals > 0 the
// fraction is padded with zeros to that many digits ("12.50").
void AppendReal(std::string& out, double value, int decimals);
void AppendDate(std::string& out, double value);
void AppendDateTime(std::string& out, double value);
void AppendTime(std::string& out, double value);

// Windows-1252 bytes as attribute text of the single-byte form: &, <, >
// and " escaped, every byte from 0x80 as the character reference of its
// Unicode code point. Control bytes that XML cannot carry go as references
// to the private-use characters U+E000 + byte, which the reader maps back.
void AppendEscaped(std::string& out, std::string_view cp1252);
// UTF-8 text from the XML parser, back to Windows-1252 bytes. C1 control
// code points the code page lacks keep their byte value; characters the
// code page lacks become '?'.
void AppendCp1252(std::string& out, std::string_view utf8);

// Index definitions travel in PARAMS as INDEX1_NAME, INDEX1_FIELDS,
// INDEX1_DESCFIELDS, INDEX2_NAME, ... Other programs ignore them.
constexpr std::string_view kIndexPrefix = "INDEX";
constexpr std::string_view kIndexName = "_NAME";
constexpr std::string_view kIndexFields = "_FIELDS";
constexpr std::string_view kIndexDescFields = "_DESCFIELDS";
// An attribute name of that form, exactly as the writer writes it: the
// index's number (digits without a leading zero) and its part ("_NAME", ...).
bool ParseIndexPart(std::string_view name, long long& number, std::string_view& part);

// Whether an ASCII character can stand in an XML name: first (letters, '_',
// ':') or further on (also digits, '-', '.').
bool IsXmlNameChar(unsigned char c, bool first);

}  // namespace platform::dataset::xml
