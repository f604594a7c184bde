// Operator messages, the debug log and the report of amounts that do not
// fit the printer's fields.
#include <cmath>

#include "drivers/bematech/driver_support.h"
#include "facade/Qdm00000.h"
#include "utility/utility.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace Qdm00100::detail {

namespace {
// No catalogue entry fits an amount the printer's field cannot hold.
const char* const kValorForaDoFormato = "Valor fora do formato da impressora fiscal.";
}  // namespace

std::string CatalogueText(const std::string& key) {
  return Qdm00000::DataModule().msgPadrao.Msg(key);
}

void Log(const std::string& line) { Qdm00000::ImpFisDebug(line); }

void ShowError(const std::string& text) {
  util::TouchMessageDlg(text, platform::mtError, platform::mbOK, 0, 0, "");
}

void ShowInformation(const std::string& text) {
  util::TouchMessageDlg(text, platform::mtInformation, platform::mbOK, 0, 0, "");
}

bool ReportUnbound(const char* name) {
  Log(std::string("ERRO!!! DLL nao carregada: ") + name);
  return false;
}

std::optional<std::string> AmountField(Formato formato, double valor) {
  std::optional<std::string> digits = Digitos(formato, valor);
  if (!digits) {
    Log(std::string("ERRO!!! ") + kValorForaDoFormato + " " + FormatOf(formato).name + ": " +
        (std::isfinite(valor) ? platform::DecimalText(valor) : std::string("?")));
    ShowError(kValorForaDoFormato);
  }
  return digits;
}

}  // namespace Qdm00100::detail
