// Entry points of the Bematech driver that the facade calls to start and
// stop the printer: the module's globals, loading and binding
// "Mp20fi32.dll", the port, and the start-up reading of the printer's dates
// and identity.
#include <array>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/driver_services.h"
#include "drivers/common/module_globals.h"

namespace Qdm00100 {

platform::HMODULE ImpFisDLLHandle = nullptr;
bool boImpFiscalOK = false;
TIniPortaStr* BemaIniPortaStr = nullptr;
TFormataTX* BemaFormataTX = nullptr;
TStatus_Mp20FI* BemaStatus_Mp20FI = nullptr;
TLe_Variaveis* BemaLe_Variaveis = nullptr;
TRetorna_ASCII* BemaRetorna_ASCII = nullptr;
TFechaPorta* BemaFechaPorta = nullptr;
bool boComando = false;
std::string stRetorno;
std::string IdTotRelatorio;
std::string IdTotParcCV;
std::string IdTotParcVCons;
std::string IdTotCompCred;

using namespace detail;

namespace {

constexpr const char* kLibrary = "Mp20fi32.dll";

// Binding order: the first one missing leaves the driver unbound.
constexpr std::array<drivers::EntryPoint, 6> kEntryPoints{{
    {"IniPortaStr", &BemaIniPortaStr},
    {"FechaPorta", &BemaFechaPorta},
    {"FormataTX", &BemaFormataTX},
    {"Status_Mp20FI", &BemaStatus_Mp20FI},
    {"Le_Variaveis", &BemaLe_Variaveis},
    {"Retorna_ASCII", &BemaRetorna_ASCII},
}};

struct PrinterVariable {
  const char* numero;  // argument of "35"
  std::string* destino;
};

// Clears the globals above when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};

}  // namespace

drivers::EntryPoints detail::LibraryEntryPoints() { return kEntryPoints; }

void ClearGlobals() {
  drivers::ClearAll(kEntryPoints);
  boImpFiscalOK = false;
  boComando = false;
  MaxBusyPolls = kDefaultMaxBusyPolls;
  stRetorno.clear();
  IdTotRelatorio.clear();
  IdTotParcCV.clear();
  IdTotParcVCons.clear();
  IdTotCompCred.clear();
}

bool StartImpFis_Bematech(const std::string& porta) {
  const drivers::Started started = drivers::StartDriver(ImpFisDLLHandle, kLibrary, kEntryPoints,
                                                        {.open = [&porta] { return AbrePorta_Bematech(porta); },
                                                         .close = [] { FechaPorta_Bematech(); },
                                                         .unbind = StopImpFiscal_Bematech,
                                                         .unbound = nullptr});
  if (started == drivers::Started::Open) boImpFiscalOK = true;
  return started != drivers::Started::NotLoaded;
}

void StopImpFiscal_Bematech() { drivers::ClearAll(kEntryPoints); }

bool AbrePorta_Bematech(const std::string& porta) {
  if (!EntryPointBound(BemaIniPortaStr, "IniPortaStr")) {
    return false;
  }
  if (BemaIniPortaStr(porta.c_str()) == 0) {
    Log("ERRO!!! Abrindo porta " + porta);
    ShowError(CatalogueText("ErroPorta"));
    return false;
  }
  if (!EnviaComando_Bematech("19", {}, true, false)) return false;
  // Here, after the channel is free, an open coupon left by an interrupted
  // sale is really cancelled.
  const bool ok = ImpressoraOK(true, true, false);
  EnviaComando_Bematech("12", {}, false, false);
  EnviaComando_Bematech("21", {}, false, false);
  return ok;
}

bool FechaPorta_Bematech() {
  if (!EntryPointBound(BemaFechaPorta, "FechaPorta")) {
    return false;
  }
  return BemaFechaPorta() == 0;
}

bool IniciaImp_Bematech() {
  const std::array<PrinterVariable, 4> variaveis{{
      {"27", &Qdm00000::stData},     // fiscal day, DDMMYY
      {"23", &Qdm00000::stDataAtu},  // printer clock
      {"14", &Qdm00000::ECF},        // printer number
      {"00", &Qdm00000::SerieECF},   // serial number
  }};
  // A printer that refuses the first reading is not talking to us: the
  // start-up stops there. A later reading it refuses keeps what the global
  // held (an earlier answer never passes for this one) and the others are
  // still read.
  bool first = true;
  for (const PrinterVariable& v : variaveis) {
    const std::optional<std::string> resposta = Query("35", {v.numero}, false);
    if (resposta) {
      *v.destino = *resposta;
    } else if (first) {
      return false;
    }
    first = false;
  }
  return true;
}

}  // namespace Qdm00100
