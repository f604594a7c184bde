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

// What the library's own tests and benchmarks reach besides the public
// header (not exported from the shared library).
namespace Qdm00200 {

// How long a busy printer is asked again, and how long the state poll
// waits for the printer to finish, on the library clock, before the
// command is judged as it stands.
extern int SwedaBusyTimeoutMs;
extern int SwedaPollTimeoutMs;

// Puts the module's globals back as they are when the library is loaded.
// Run when the library is unloaded.
void ClearGlobals();

}  // namespace Qdm00200

namespace Qdm00200::detail {

using namespace drivers::services;

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
