// What the printer drivers use of the facade: its exported globals (the
// printer's identity and dates, the port tables), the cupom data module,
// the debug log and the few facade calls a driver makes. The facade defines
// all of them and its own header includes this one, so a driver needs
// nothing else of the facade and the front end sees one declaration.
#pragma once
#include <array>
#include <string>

#include "data_module/dtmCupomFiscal.h"
#include "platform/base/clock.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00000 {

// ---- Exported globals, shared by every module -----------------------------
extern TdtmCupomFiscal* dtmCupomFiscal;  // created on first need, never freed here
extern int IdTipoImpFis;                 // 1, 2, 9 Bematech; 3..6 Sweda; 7, 8 Daruma
extern int IdTipoImpChq;
extern int IdTipoTecl;
extern std::string stSistema;
extern std::string stPorta;
extern std::string DsDirCad;  // host executable's directory, trailing delimiter
extern std::string ECF;
extern std::string SerieECF;
extern std::string stData;     // DDMMYY
extern std::string stDataAtu;  // DDMMYYhhnn...
extern std::string stRet;
extern std::string stRed;
extern platform::TDateTime dtDate;
extern std::string CdAliq;
extern std::string NrCupom;
extern const std::array<std::string, 14> Portas;
extern const std::array<std::string, 13> Velocidades;

// Creates dtmCupomFiscal when still null and answers it.
TdtmCupomFiscal& DataModule();

// ---- Facade calls a driver makes ------------------------------------------
// One line of the debug log "impdebug.txt".
void ImpFisDebug(const std::string& mensagem);
// Stops the printer in use (after a failed start of the Sweda and Daruma
// drivers); never raises.
void StopImpFiscal();
bool FechaPorta();
std::string RetornoImpFiscal(const std::string& comando, bool a);
platform::TDateTime DataMoviFiscal();

}  // namespace Qdm00000

PKG_QDM_PUBLIC_END
