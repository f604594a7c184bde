// Fiscal readings, the management report, cash supply and withdrawal, and
// the date of the fiscal movement.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "platform/text/datetime.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

namespace {

// The smallest receipt the printer accepts stands for a movement of zero.
constexpr double kMinimumMovement = 0.01;

bool CashMovement(const char* codigo, double valor) {
  const std::optional<std::string> campo = AmountField(Format::V14, valor == 0 ? kMinimumMovement : valor);
  if (!campo) return false;
  if (!Cupom_NFiscNVinc_Bematech(codigo, *campo, "")) {
    ShowError(CatalogueText("ErroComando"));
    return false;
  }
  return true;
}

bool TwoDigitNumber(const std::string& text, int& value) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
    return false;
  }
  value = (text[0] - '0') * 10 + (text[1] - '0');
  return true;
}

}  // namespace

bool Leitura_X_Bematech(const std::string& /*naoUsado*/) { return EnviaComando_Bematech("06", {}, true, false); }

bool Reducao_Z_Bematech(const std::string& /*naoUsado*/) { return EnviaComando_Bematech("05", {}, true, false); }

bool Memoria_Fiscal_Bematech(const std::string& de, const std::string& ate, const std::string& opcao) {
  return EnviaComando_Bematech("08", {de, ate, opcao}, true, false);
}

bool RelGerencial_Bematech() { return EnviaComando_Bematech("20", {" "}, true, false); }

bool FechRelatGerenc_Bematech(bool avisa, bool repete) { return EnviaComando_Bematech("21", {}, avisa, repete); }

bool Leitura_Totais_Bematech(bool avisa, bool repete) { return EnviaComando_Bematech("27", {}, avisa, repete); }

bool Suprimento_Bematech(double valor) { return CashMovement("SU", valor); }

bool Sangria_Bematech(double valor) { return CashMovement("SA", valor); }

platform::TDateTime DataMov_Bematech() {
  const platform::TDateTime hoje = platform::Date();
  const std::optional<std::string> resposta = Query("35", {"27"}, false);
  if (!resposta) return hoje;
  // DDMMYY, the century taken from today's year.
  int dia = 0;
  int mes = 0;
  int ano = 0;
  if (!TwoDigitNumber(platform::Copy(*resposta, 1, 2), dia) || !TwoDigitNumber(platform::Copy(*resposta, 3, 2), mes) ||
      !TwoDigitNumber(platform::Copy(*resposta, 5, 2), ano)) {
    return hoje;
  }
  int ano_atual = 0;
  int mes_atual = 0;
  int dia_atual = 0;
  platform::DecodeDate(hoje, ano_atual, mes_atual, dia_atual);
  platform::TDateTime data = hoje;
  if (!platform::TryEncodeDate(ano_atual / 100 * 100 + ano, mes, dia, data)) return hoje;
  return data;
}

}  // namespace Qdm00100
