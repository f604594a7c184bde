// Loading and binding "Mp20fi32.dll", the port, and the module's globals.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver_support.h"
#include "platform/os/dynlib.h"

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

// All six or none: a library without one of them is left unbound.
bool BindAll() {
  const platform::HMODULE h = ImpFisDLLHandle;
  const auto bind = [h](const char* name, auto*& target) {
    return platform::Bind(h, name, target) || ReportUnbound(name);
  };
  return bind("IniPortaStr", BemaIniPortaStr) && bind("FechaPorta", BemaFechaPorta) &&
         bind("FormataTX", BemaFormataTX) && bind("Status_Mp20FI", BemaStatus_Mp20FI) &&
         bind("Le_Variaveis", BemaLe_Variaveis) && bind("Retorna_ASCII", BemaRetorna_ASCII);
}

}  // namespace

bool StartImpFis_Bematech(const std::string& porta) {
  // The library stays loaded across stops; a new start only binds again.
  if (ImpFisDLLHandle == nullptr) ImpFisDLLHandle = platform::LoadLibraryA(kLibrary);
  if (ImpFisDLLHandle == nullptr) {
    Log(std::string("ERRO!!! DLL nao carregada: ") + kLibrary + " " +
        platform::LastLibraryError());
    return false;
  }
  if (!BindAll()) {
    StopImpFiscal_Bematech();
    return true;
  }
  if (AbrePorta_Bematech(porta)) {
    boImpFiscalOK = true;
  } else {
    FechaPorta_Bematech();
    Log("Descarregando DLL Impressora Fiscal");
    StopImpFiscal_Bematech();
  }
  return true;
}

void StopImpFiscal_Bematech() {
  BemaIniPortaStr = nullptr;
  BemaFechaPorta = nullptr;
  BemaFormataTX = nullptr;
  BemaStatus_Mp20FI = nullptr;
  BemaLe_Variaveis = nullptr;
  BemaRetorna_ASCII = nullptr;
}

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

}  // namespace Qdm00100
