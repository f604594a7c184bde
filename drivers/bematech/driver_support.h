// Helpers shared by the files of the Bematech driver: the operator's
// messages, the debug log, the frame and the question-and-answer exchange.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/bematech/number_formats.h"

namespace Qdm00100::detail {

// Catalogue text of a key.
std::string CatalogueText(const std::string& key);
void Log(const std::string& line);
// Modal dialogs with an OK button.
void ShowError(const std::string& text);
void ShowInformation(const std::string& text);

// False (and a log line) when the library entry point is missing: before
// a start, after a stop or after a failed binding.
bool ReportUnbound(const char* name);
template <typename Fn>
bool EntryPointBound(Fn* entry, const char* name) {
  return entry != nullptr || ReportUnbound(name);
}

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

// The digits of an amount in its field; a value the field cannot hold is
// logged and shown to the operator, and nothing is answered.
std::optional<std::string> AmountField(Formato formato, double valor);

}  // namespace Qdm00100::detail
