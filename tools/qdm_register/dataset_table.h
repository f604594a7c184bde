// A dataset shown to a person at a terminal: its records as a table with a
// column per field, or, when the records are too wide for the screen, each
// record as a list of "field: value" lines. Values are read as the front
// end reads them (AsString: numbers with the system decimal separator,
// dates as DateTimeToStr); the text is turned into UTF-8 here and only
// here, so the dataset itself stays in Windows-1252.
#pragma once
#include <cstddef>
#include <string>

#include "platform/dataset/dataset.h"

namespace qdm_register {

// Width of a terminal line the table is laid out for.
inline constexpr std::size_t kTableWidth = 100;

// UTF-8 text ending in a line feed: the title, then the records; "(vazio)"
// for a dataset without records and "(fechado)" for one not active. The
// cursor is left on the first record.
std::string DatasetTable(const std::string& title, platform::TClientDataSet& ds);

}  // namespace qdm_register
