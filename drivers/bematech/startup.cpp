// Start-up reading of the printer's dates and identity.
#include <array>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver_support.h"
#include "facade/Qdm00000.h"

namespace Qdm00100 {

using namespace detail;

namespace {

struct PrinterVariable {
  const char* numero;  // argument of "35"
  std::string* destino;
};

}  // namespace

bool IniciaImp_Bematech() {
  const std::array<PrinterVariable, 4> variaveis{{
      {"27", &Qdm00000::stData},     // fiscal day, DDMMYY
      {"23", &Qdm00000::stDataAtu},  // printer clock
      {"14", &Qdm00000::ECF},        // printer number
      {"00", &Qdm00000::SerieECF},   // serial number
  }};
  // A reading the printer refused stops the start-up: an earlier answer
  // must not pass for the clock or the identity.
  for (const PrinterVariable& v : variaveis) {
    const std::optional<std::string> resposta = Query("35", {v.numero}, false);
    if (!resposta) return false;
    *v.destino = *resposta;
  }
  return true;
}

}  // namespace Qdm00100
