// The Bematech driver's own header, for the driver's files: the common
// driver services under short names, the entry-point table, the wire, the
// digit fields, the model table and the question whose answer is read only
// when the printer took it.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/bematech/models.h"
#include "drivers/bematech/number_formats.h"
#include "drivers/bematech/protocol.h"
#include "drivers/common/library.h"
#include "drivers/common/messages.h"

namespace Qdm00100::detail {

using drivers::CatalogueText;
using drivers::EntryPointBound;
using drivers::Log;
using drivers::ReportUnbound;
using drivers::ShowError;
using drivers::ShowInformation;

// The six entry points of "Mp20fi32.dll", in binding order, each with the
// exported global that holds it.
drivers::EntryPoints LibraryEntryPoints();

// Sends a command that answers data and reads the answer only when the
// printer took the command, so a stale answer of an earlier command is
// never taken for this one's.
std::optional<std::string> Query(const std::string& comando,
                                 const std::vector<std::string>& parametros, bool avisa,
                                 const std::string& leitura = "", bool apara = true);

}  // namespace Qdm00100::detail
