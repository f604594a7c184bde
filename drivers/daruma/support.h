// Helpers shared by the files of the Daruma driver: the operator's
// messages, the debug log, the unbound-library report and the digit fields.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/daruma/models.h"

namespace Qdm00300::detail {

std::string CatalogueText(const std::string& key);
void Log(const std::string& line);
void ShowError(const std::string& text);

// False (and a log line) when the library entry point is missing.
bool ReportUnbound(const char* name);
template <typename Fn>
bool EntryPointBound(Fn* entry, const char* name) {
  return entry != nullptr || ReportUnbound(name);
}

// The model the driver was started for.
const Model& CurrentModel();

// Fixed-width digit fields with implied decimals.
enum class Campo { Preco, QuantidadeInteira, QuantidadeFracao, Percentual, Valor12, Valor14, Soma4 };
// The digits of the value in its field; a value the field cannot hold is
// logged and shown to the operator, and nothing is answered.
std::optional<std::string> AmountField(Campo campo, double valor);

// Sends a command and, when the printer took it, answers its answer.
std::optional<std::string> Query(unsigned char command,
                                 const std::vector<std::string>& parametros = {});

}  // namespace Qdm00300::detail
