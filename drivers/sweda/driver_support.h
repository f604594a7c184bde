// Helpers shared by the files of the Sweda driver: the common driver
// services under short names, the table reads and the model's method width.
#pragma once
#include <optional>
#include <span>
#include <string>

#include "drivers/common/library.h"
#include "drivers/common/messages.h"

namespace Qdm00200::detail {

using drivers::CatalogueText;
using drivers::EntryPointBound;
using drivers::Log;
using drivers::ReportUnbound;
using drivers::ShowError;
using drivers::ShowInformation;

// The three entry points of "SERSWEDA.dll" and their globals.
drivers::EntryPoints EntryPoints();

// The answer to a table read ("29" with a selector), or nothing when the
// printer refused it.
std::optional<std::string> ReadTable(char selector);

// The payment-method entry width of the current model.
int MethodWidth();

// True while the last command sent was an accepted text line: the
// non-fiscal report it opened is still open.
bool TextReportOpen();

}  // namespace Qdm00200::detail
