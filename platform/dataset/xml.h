// The client dataset's XML data packet: reading (both the single-byte and
// the UTF-8 form, on expat) and writing (the single-byte form). Private to
// the dataset.
#pragma once
#include <string>
#include <string_view>

#include "platform/dataset/dataset.h"
#include "platform/dataset/store.h"

namespace platform::dataset::xml {

// Attributes of a packet's PARAMS other than its indexes and change log
// (LCID, DEFAULT_ORDER, ...): kept as read and written back.
using PacketParams = std::vector<std::pair<std::string, std::string>>;

// Layout, indexes, rows and other PARAMS attributes of a packet, the rows
// in the dataset's store. Anything that is not a well-formed data packet
// raises EDatabaseError naming `source` (a file name, or "" for text in
// memory).
struct LoadedPacket {
  std::vector<TFieldDef> fields;
  std::vector<TIndexDef> indexes;
  RowStore rows;
  PacketParams params;
};
LoadedPacket LoadPacket(std::string_view bytes, const std::string& source);
// The same, the rows as values and the other attributes into `params`
// (when given).
TDataPacket ReadPacket(std::string_view bytes, const std::string& source, PacketParams* params = nullptr);

// Rows as elements named `tag`: values as attributes, the rows of a nested
// field as an element named after the field holding its rows' text, which
// is this function's output for the nested layout with NestedRowTag.
void AppendRows(std::string& out, const std::vector<TFieldDef>& fields, const RowStore& rows, std::string_view tag);
std::string NestedRowTag(const TFieldDef& def);
// FIELD attributes the writer gives a field of its own accord; the reader
// keeps the others in TFieldDef::Attributes.
bool IsWrittenAttribute(const TFieldDef& def, std::string_view name);
bool IsDecimal(TFieldType type);
// WIDTH of an exact decimal field that did not come with one: the type's
// widest precision. The loader gives it, so the layout saved is the one
// loaded.
constexpr int kDecimalWidth = 32;

// Whether a name (Windows-1252) can stand as the attribute name of a ROW
// or a FIELD, so a packet that holds it can be written and read again.
// Letters of the code page beyond ASCII are judged by the parser that
// reads them back.
bool IsWritableName(std::string_view name);

// The packet as text; rows must hold the kinds their fields store.
// Raises EDatabaseError for a layout the format cannot carry.
std::string WritePacket(const std::vector<TFieldDef>& fields, const std::vector<TIndexDef>& indexes,
                        const RowStore& rows, const PacketParams& params = {});

}  // namespace platform::dataset::xml
