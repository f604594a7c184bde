// The Bematech wire, for the driver's own files: the frame, the status
// bytes, the question-and-answer exchange and the entry-point table, plus
// the common driver services the operation files use.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/bematech/number_formats.h"
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

// The four integers of "Status_Mp20FI", read afresh (the entry point must
// be bound).
struct PrinterStatus {
  int retorno = 0;
  int ack = 0;
  int st1 = 0;
  int st2 = 0;
};
PrinterStatus ReadStatus();

// ESC "|" code ("|" argument)* "|" ESC, with the arguments cleaned.
std::string BuildFrame(const std::string& comando, const std::vector<std::string>& parametros);

// Sends a command that answers data and reads the answer only when the
// printer took the command, so a stale answer of an earlier command is
// never taken for this one's.
std::optional<std::string> Query(const std::string& comando,
                                 const std::vector<std::string>& parametros, bool avisa,
                                 const std::string& leitura = "", bool apara = true);

}  // namespace Qdm00100::detail
