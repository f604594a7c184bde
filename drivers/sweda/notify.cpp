// Operator messages, the debug log, digit fields and the report of values
// that do not fit the printer's fields.
#include <cmath>

#include "drivers/sweda/driver_support.h"
#include "facade/Qdm00000.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00200::detail {

namespace {
// No catalogue entry fits a value the printer's field cannot hold.
const char* const kValorForaDoFormato = "Valor fora do formato da impressora fiscal.";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
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

std::optional<std::string> DigitsOf(const DigitFormat& format, double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const std::string text = platform::FormatFloat(format.pattern, value);
  const std::string pattern = format.pattern;
  if (text.size() != pattern.size()) return std::nullopt;
  const auto sep = static_cast<std::size_t>(format.separator_at);
  std::string digits;
  digits.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (sep != 0 && i + 1 == sep) {
      if (text[i] != platform::FormatSettings().DecimalSeparator) return std::nullopt;
      continue;
    }
    if (!IsDigit(text[i])) return std::nullopt;
    digits += text[i];
  }
  return digits;
}

void ReportMisfit(const std::string& field, const std::string& value) {
  Log(std::string("ERRO!!! ") + kValorForaDoFormato + " " + field + ": " + value);
  ShowError(kValorForaDoFormato);
}

}  // namespace Qdm00200::detail
