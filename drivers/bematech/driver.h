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

// What the library's own tests and benchmarks reach besides the public
// header (not exported from the shared library).
namespace Qdm00100 {

// Puts the module's globals back as they are when the library is loaded:
// entry points unbound, flags false, strings empty, the busy-poll bound at
// its default. The library handle is kept (the library stays loaded). Run
// when the library is unloaded.
void ClearGlobals();

// Busy poll bound of the channel (polls of ST2 bit 6 before judging).
inline constexpr int kDefaultMaxBusyPolls = 600;
extern int MaxBusyPolls;

// An amount of the Z report: "," and "." dropped, the last two digits the
// hundredths ("1.234,56" and "1,234.56" are 1234.56), a leading minus sign
// kept ("-5,00" is -5.00). Raises on anything else.
double ReadAmount(const std::string& text);

}  // namespace Qdm00100

namespace Qdm00100::detail {

using namespace drivers::services;

// The six entry points of "Mp20fi32.dll", in binding order, each with the
// exported global that holds it.
drivers::EntryPoints LibraryEntryPoints();

// Sends a command that answers data and reads the answer only when the
// printer took the command, so a stale answer of an earlier command is
// never taken for this one's.
std::optional<std::string> Query(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                                 const std::string& leitura = "", bool apara = true);

}  // namespace Qdm00100::detail
