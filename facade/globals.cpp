// The facade's exported globals, the data module's creation on first need
// and the ready flag.
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "facade/globals.h"
#include "drivers/common/module_globals.h"
#include "platform/dialogs/dialogs.h"

namespace Qdm00000 {

TdtmCupomFiscal* dtmCupomFiscal = nullptr;
int IdTipoImpFis = 0;
int IdTipoImpChq = 0;
int IdTipoTecl = 0;
std::string stSistema;
std::string stPorta;
std::string DsDirCad;
std::string ECF;
std::string SerieECF;
std::string stData;
std::string stDataAtu;
std::string stRet;
std::string stRed;
TDateTime dtDate = 0;
std::string CdAliq;
std::string NrCupom;

const std::array<std::string, 14> Portas = {"",     "COM1", "COM2", "COM3",  "COM4",  "COM5",  "COM6",
                                            "COM7", "COM8", "COM9", "COM10", "COM11", "COM12", "LPT1"};

const std::array<std::string, 13> Velocidades = {"110",   "300",   "1200",   "2400",   "4800",   "9600",  "19200",
                                                 "38400", "57600", "115200", "230400", "460800", "921600"};

namespace {

// Clears the globals above when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};

}  // namespace

void ClearGlobals() {
  IdTipoImpFis = 0;
  IdTipoImpChq = 0;
  IdTipoTecl = 0;
  stSistema.clear();
  stPorta.clear();
  DsDirCad.clear();
  ECF.clear();
  SerieECF.clear();
  stData.clear();
  stDataAtu.clear();
  stRet.clear();
  stRed.clear();
  dtDate = 0;
  CdAliq.clear();
  NrCupom.clear();
  SetImpFiscalOK(false);
}

TdtmCupomFiscal& DataModule() {
  if (dtmCupomFiscal == nullptr) {
    // Lives as long as the application; the library never frees it.
    dtmCupomFiscal = new TdtmCupomFiscal();
    // A dialog answered with nobody at the register leaves its line in the log.
    platform::SetDialogLogger(ImpFisDebug);
  }
  return *dtmCupomFiscal;
}

// The flag lives in the Sweda module: its start-up sets it, the front end
// sets it for the other makers.
bool ImpFiscalOK() { return Qdm00200::boImpFiscalOK; }
void SetImpFiscalOK(bool valor) { Qdm00200::boImpFiscalOK = valor; }

}  // namespace Qdm00000
