#include "drivers/common/messages.h"

#include <cmath>

#include "drivers/common/driver_services.h"
#include "utility/utility.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace drivers {

namespace {
// No catalogue entry fits an amount the printer's field cannot hold.
const char* const kValorForaDoFormato = "Valor fora do formato da impressora fiscal.";
}  // namespace

std::string CatalogueText(const std::string& key) { return Qdm00000::DataModule().msgPadrao.Msg(key); }

void Log(const std::string& line) { Qdm00000::ImpFisDebug(line); }

void ShowError(const std::string& text) { util::TouchMessageDlg(text, platform::mtError, platform::mbOK, 0, 0, ""); }

void ShowInformation(const std::string& text) {
  util::TouchMessageDlg(text, platform::mtInformation, platform::mbOK, 0, 0, "");
}

bool ReportUnbound(const char* entry) {
  Log(std::string("ERRO!!! DLL nao carregada: ") + entry);
  return false;
}

void ReportMisfit(const char* field, double value) {
  Log(std::string("ERRO!!! ") + kValorForaDoFormato + " " + field + ": " +
      (std::isfinite(value) ? platform::DecimalText(value) : std::string("?")));
  ShowError(kValorForaDoFormato);
}

}  // namespace drivers
