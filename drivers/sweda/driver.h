// The Sweda driver's own header, for the driver's files: the common driver
// services under short names, the entry-point table, the wire, the digit
// fields, the model table, and the table reads.
#pragma once
#include <optional>
#include <string>

#include "drivers/common/library.h"
#include "drivers/common/messages.h"
#include "drivers/sweda/models.h"
#include "drivers/sweda/number_formats.h"
#include "drivers/sweda/protocol.h"

namespace Qdm00200::detail {

using drivers::CatalogueText;
using drivers::EntryPointBound;
using drivers::Log;
using drivers::ReportUnbound;
using drivers::ShowError;
using drivers::ShowInformation;

// The three entry points of "SERSWEDA.dll", in binding order, each with the
// exported global that holds it.
drivers::EntryPoints LibraryEntryPoints();

// The answer to a table read ("29" with a selector), or nothing when the
// printer refused it.
std::optional<std::string> ReadTable(char selector);

// The payment-method entry width of the current model.
int MethodWidth();

// True while the last command sent was an accepted text line: the
// non-fiscal report it opened is still open.
bool TextReportOpen();

}  // namespace Qdm00200::detail
