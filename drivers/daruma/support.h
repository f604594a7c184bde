// Helpers shared by the files of the Daruma driver: the services every
// driver uses (drivers/common), the model in use, the digit fields of the
// commands, and a question whose answer is read only when it was taken.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/common/digit_fields.h"
#include "drivers/common/library.h"
#include "drivers/common/messages.h"
#include "drivers/daruma/models.h"
#include "drivers/daruma/protocol.h"

namespace Qdm00300::detail {

using drivers::CatalogueText;
using drivers::EntryPointBound;
using drivers::Log;
using drivers::ReportUnbound;
using drivers::ShowError;

// The five entry points of the maker library, in binding order.
drivers::EntryPoints LibraryEntryPoints();

// The model the driver was started for.
const Model& CurrentModel();

// Fixed-width digit fields with implied decimals.
enum class Campo { Preco, QuantidadeInteira, QuantidadeFracao, Percentual, Valor12, Valor14, Soma4 };
// The digits of the value in its field; a value the field cannot hold is
// logged and shown to the operator, and nothing is answered.
std::optional<std::string> AmountField(Campo campo, double valor);

// How the last command of the channel ended (set by EnviaComando_Daruma).
Outcome LastOutcome();
void SetLastOutcome(Outcome outcome);

// Asks the printer which document it holds open; nothing when it does not say.
std::optional<Document> AskOpenDocument();

// Sends a command and, when the printer took it, answers its answer.
std::optional<std::string> Query(unsigned char command,
                                 const std::vector<std::string>& parametros = {});

}  // namespace Qdm00300::detail
