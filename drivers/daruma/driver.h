// The Daruma driver's own header, for the driver's files: the common driver
// services under short names, the entry-point table, the wire, the digit
// fields, the model table, and a question whose answer is read only when
// it was taken.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/common/library.h"
#include "drivers/common/messages.h"
#include "drivers/daruma/models.h"
#include "drivers/daruma/number_formats.h"
#include "drivers/daruma/protocol.h"

// What the library's own tests reach besides the public header (not
// exported from the shared library).
namespace Qdm00300 {

// Clears every global of the module (done when the library is unloaded).
void ClearGlobals();

}  // namespace Qdm00300

namespace Qdm00300::detail {

using namespace drivers::services;

// The five entry points of "fs345_32.dll", in binding order, each with the
// exported global that holds it.
drivers::EntryPoints LibraryEntryPoints();

// The model the driver was started for.
const Model& CurrentModel();

// How the last command of the channel ended (set by EnviaComando_Daruma).
Outcome LastOutcome();

// Asks the printer which document it holds open; nothing when it does not say.
std::optional<Document> AskOpenDocument();

// Sends a command and, when the printer took it, answers its answer.
std::optional<std::string> Query(unsigned char command, const std::vector<std::string>& parametros = {});

}  // namespace Qdm00300::detail
