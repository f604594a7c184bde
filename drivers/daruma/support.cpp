// The digit fields of the Daruma commands, and the model in use.
#include <array>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/support.h"

namespace Qdm00300::detail {

namespace {

// Indexed by Campo.
constexpr std::array<drivers::DigitField, 7> kFields{{
    {"Preco", "0000000.00", 8},
    {"QuantidadeInteira", "00000", 0},
    {"QuantidadeFracao", "000.00", 4},
    {"Percentual", "00.00", 3},
    {"Valor12", "0000000000.00", 11},
    {"Valor14", "000000000000.00", 13},
    {"Soma4", "00.00", 3},
}};

Outcome last_outcome = Outcome::Unknown;

}  // namespace

const Model& CurrentModel() { return ModelOf(inTipoImpFis); }

Outcome LastOutcome() { return last_outcome; }
void SetLastOutcome(Outcome outcome) { last_outcome = outcome; }

std::optional<Document> AskOpenDocument() {
  const Model& model = CurrentModel();
  if (!EnviaComando_Daruma(std::string(1, static_cast<char>(model.document.question)), {}, false, false))
    return std::nullopt;
  return OpenDocumentIn(model, DarumaRet);
}

std::optional<std::string> AmountField(Campo campo, double valor) {
  return drivers::AmountField(kFields[static_cast<std::size_t>(campo)], valor);
}

std::optional<std::string> Query(unsigned char command,
                                 const std::vector<std::string>& parametros) {
  if (!EnviaComando_Daruma(std::string(1, static_cast<char>(command)), parametros, false, false))
    return std::nullopt;
  return DarumaRet;
}

}  // namespace Qdm00300::detail
