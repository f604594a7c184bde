// The client dataset's XML data packet: reading (both the single-byte and
// the UTF-8 form, on expat) and writing (the single-byte form). Private to
// the dataset.
#pragma once
#include <string>
#include <string_view>

#include "platform/dataset/dataset.h"

namespace platform::dataset::xml {

// Layout, indexes and rows of a packet. Anything that is not a well-formed
// data packet raises EDatabaseError naming `source` (a file name, or ""
// for text in memory).
TDataPacket ReadPacket(std::string_view bytes, const std::string& source);

// The packet as text; rows must hold the kinds their fields store.
// Raises EDatabaseError for a layout the format cannot carry.
std::string WritePacket(const std::vector<TFieldDef>& fields, const std::vector<TIndexDef>& indexes,
                        const std::vector<std::vector<Variant>>& rows);

}  // namespace platform::dataset::xml
