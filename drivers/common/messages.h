// What a driver tells the operator and writes to the debug log: catalogue
// texts, modal dialogs with an OK button, and the two reports every driver
// makes the same way (an unbound entry point, an amount its printer's field
// cannot hold).
#pragma once
#include <string>

namespace drivers {

// Catalogue text of a key (the cupom data module's msgPadrao).
std::string CatalogueText(const std::string& key);
// One line of the debug log "impdebug.txt".
void Log(const std::string& line);
// Modal dialogs with an OK button.
void ShowError(const std::string& text);
void ShowInformation(const std::string& text);

// Logs "ERRO!!! DLL nao carregada: <entry>" and answers false: a call
// before a start, after a stop or after a failed binding never reaches a
// missing entry point.
bool ReportUnbound(const char* entry);
template <typename Fn>
bool EntryPointBound(Fn* entry, const char* name) {
  return entry != nullptr || ReportUnbound(name);
}

// An amount or quantity that does not fit its field is never sent: logs
// "ERRO!!! Valor fora do formato da impressora fiscal. <field>: <value>"
// and shows the operator that text.
void ReportMisfit(const char* field, double value);

// The services above under the short names a driver's files use: each
// driver's own header brings them in with `using namespace
// drivers::services;`.
namespace services {
using drivers::CatalogueText;
using drivers::EntryPointBound;
using drivers::Log;
using drivers::ReportUnbound;
using drivers::ShowError;
using drivers::ShowInformation;
}  // namespace services

}  // namespace drivers
