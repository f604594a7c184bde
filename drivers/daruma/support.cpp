// Operator messages, the debug log and the digit fields of the commands.
#include <array>
#include <cmath>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/support.h"
#include "facade/Qdm00000.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00300::detail {

namespace {

const char* const kValorForaDoFormato = "Valor fora do formato da impressora fiscal.";

struct DigitFormat {
  const char* name;
  const char* pattern;
  int separator_at;  // 1-based place of the decimal separator; 0: none
};

// Indexed by Campo.
constexpr std::array<DigitFormat, 7> kFormats{{
    {"Preco", "0000000.00", 8},
    {"QuantidadeInteira", "00000", 0},
    {"QuantidadeFracao", "000.00", 4},
    {"Percentual", "00.00", 3},
    {"Valor12", "0000000000.00", 11},
    {"Valor14", "000000000000.00", 13},
    {"Soma4", "00.00", 3},
}};

std::optional<std::string> Digits(const DigitFormat& f, double valor) {
  if (!std::isfinite(valor)) return std::nullopt;
  const std::string text = platform::FormatFloat(f.pattern, valor);
  if (text.size() != std::char_traits<char>::length(f.pattern)) return std::nullopt;
  std::string digits;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (f.separator_at != 0 && i + 1 == static_cast<std::size_t>(f.separator_at)) {
      if (text[i] != platform::FormatSettings().DecimalSeparator) return std::nullopt;
      continue;
    }
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    digits += text[i];
  }
  return digits;
}

}  // namespace

std::string CatalogueText(const std::string& key) {
  return Qdm00000::DataModule().msgPadrao.Msg(key);
}

void Log(const std::string& line) { Qdm00000::ImpFisDebug(line); }

void ShowError(const std::string& text) {
  util::TouchMessageDlg(text, platform::mtError, platform::mbOK, 0, 0, "");
}

bool ReportUnbound(const char* name) {
  Log(std::string("ERRO!!! DLL nao carregada: ") + name);
  return false;
}

const Model& CurrentModel() { return ModelOf(inTipoImpFis); }

std::optional<std::string> AmountField(Campo campo, double valor) {
  const DigitFormat& f = kFormats[static_cast<std::size_t>(campo)];
  std::optional<std::string> digits = Digits(f, valor);
  if (!digits) {
    Log(std::string("ERRO!!! ") + kValorForaDoFormato + " " + f.name + ": " +
        (std::isfinite(valor) ? platform::DecimalText(valor) : std::string("?")));
    ShowError(kValorForaDoFormato);
  }
  return digits;
}

std::optional<std::string> Query(unsigned char command,
                                 const std::vector<std::string>& parametros) {
  if (!EnviaComando_Daruma(std::string(1, static_cast<char>(command)), parametros, false, false))
    return std::nullopt;
  return DarumaRet;
}

}  // namespace Qdm00300::detail
