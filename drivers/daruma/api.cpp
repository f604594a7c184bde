// Loading and binding "fs345_32.dll", the port, the start-up reading of the
// printer's identity and dates, and the module's globals.
#include <array>
#include <exception>
#include <string>

#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "drivers/common/driver_services.h"
#include "drivers/common/module_globals.h"

namespace Qdm00300 {

platform::HMODULE DarumaDLLHandle = nullptr;
TDarAbreSerial* Dar_AbrePorta = nullptr;
TDarEnvia* DarumaEnviaComando = nullptr;
TDarFechaSerial* Dar_FechaPorta = nullptr;
TDarResposta* Dar_Resposta = nullptr;
TDarErro* Dar_Erro = nullptr;
std::string DarumaRet;
int inTipoImpFis = 7;
std::string stNrCupom;
bool boComando = false;
// The letters of the printer's tables (tables.cpp).
std::string IdTotParcCV;
std::string IdTotRelatGer;
std::string IdTotCompCred;
std::string IdTotTef;
std::string CdFormPagCPess;
std::string IdFormPagCPess;
std::string DsFormPagCPess;
std::string IdFormPagVCons;
std::string CdFormPagVCons;
std::string DsFormPagVCons;
std::string IdTotParcVCons;
std::string IdTotParcSang;
std::string IdTotParcSup;
std::string IdImpVendCon;

using namespace detail;

namespace {

constexpr const char* kLibrary = "fs345_32.dll";
constexpr const char* kPortSettings = ":9600,N,8,1";

// Binding order: the first one missing leaves the driver unbound.
constexpr std::array<drivers::EntryPoint, 5> kEntryPoints{{
    {"DAR_AbreSerial", &Dar_AbrePorta},
    {"DAR_Envia", &DarumaEnviaComando},
    {"DAR_FechaSerial", &Dar_FechaPorta},
    {"DAR_Resposta", &Dar_Resposta},
    {"DAR_Erro", &Dar_Erro},
}};

void ClearEntryPoints() { drivers::ClearAll(kEntryPoints); }

// Clears the module's globals when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};

// Whether the library's port is open: a start that fails after opening it
// closes it before the entry points are forgotten.
bool porta_aberta = false;

// A document an earlier run left open (a power cut in a sale or in a card
// voucher) would refuse every coupon after it: a coupon is cancelled, a
// non-fiscal report closed. Type 7 reads it in the status answer just
// taken; type 8 asks with a bare 0x05.
void CloseLeftOpen(const Model& model) {
  std::optional<Document> open;
  if (model.document.question == kEstado) {
    std::string resposta;
    Retorno_Daruma(std::string(), false, resposta);
    open = OpenDocumentIn(model, resposta);
  } else {
    open = AskOpenDocument();
  }
  if (open == Document::Coupon) {
    if (model.closes_before_cancel) EnviaComando_Daruma(Byte(kFechaCupom), {"0000", Byte(0xFF)}, false, false);
    EnviaComando_Daruma(Byte(kCancelaCupom), {}, false, false);
  } else if (open == Document::Report) {
    EnviaComando_Daruma(Byte(kFechaRelatorio), {}, false, false);
  }
}

}  // namespace

drivers::EntryPoints detail::LibraryEntryPoints() { return kEntryPoints; }

void ClearGlobals() {
  ClearEntryPoints();
  for (std::string* text : {&DarumaRet, &stNrCupom, &IdTotParcCV, &IdTotRelatGer, &IdTotCompCred, &IdTotTef,
                            &CdFormPagCPess, &IdFormPagCPess, &DsFormPagCPess, &IdFormPagVCons, &CdFormPagVCons,
                            &DsFormPagVCons, &IdTotParcVCons, &IdTotParcSang, &IdTotParcSup, &IdImpVendCon})
    text->clear();
  boComando = false;
}

bool StartImpFis_Daruma(const std::string& /*tipo*/, const std::string& porta) {
  inTipoImpFis = Qdm00000::IdTipoImpFis;
  const drivers::Started started =
      drivers::StartDriver(DarumaDLLHandle, kLibrary, kEntryPoints,
                           {.open = [&porta] { return AbrePorta_Daruma(inTipoImpFis, porta); },
                            .close = [] { Qdm00000::FechaPorta(); },
                            .unbind =
                                [] {
                                  Qdm00000::StopImpFiscal();
                                  // The facade's stop does nothing while the ready flag is down:
                                  // the driver closes the port it opened, then unbinds itself, so
                                  // no command reaches a printer never opened and the port is
                                  // free for the next start.
                                  if (porta_aberta) FechaPorta_Daruma();
                                  ClearEntryPoints();
                                },
                            .unbound = Qdm00000::StopImpFiscal});
  return started != drivers::Started::NotLoaded;
}

bool AbrePorta_Daruma(int tipo, const std::string& porta) {
  Log("Abrindo porta " + porta);
  if (!EntryPointBound(Dar_AbrePorta, "DAR_AbreSerial")) return false;
  bool result = false;
  try {
    // The same default as the facade's port opening: index 0 is COM1.
    auto& dm = Qdm00000::DataModule();
    if (dm.IdPortaImpFis == 0) dm.IdPortaImpFis = 1;
    const int indice = dm.IdPortaImpFis;
    const std::string nome =
        indice >= 0 && indice < static_cast<int>(Qdm00000::Portas.size()) ? Qdm00000::Portas[indice] : "";
    const std::string serial = nome + kPortSettings;
    int aberta = Dar_AbrePorta(serial.c_str());
    if (aberta == -1) aberta = 0;
    if (aberta == 0) {
      Log("ERRO!!! Abrindo porta " + porta);
      ShowError(CatalogueText("ErroPorta"));
      return false;
    }
    porta_aberta = true;
    if (!EnviaComando_Daruma(Byte(kEstado), {}, false, false)) return false;
    result = ImpressoraOK(false, false, false);
    CloseLeftOpen(ModelOf(tipo));
  } catch (const std::exception& e) {
    Log(std::string("ERRO!!! Abrindo porta ") + porta + ": " + e.what());
  }
  return result;
}

bool FechaPorta_Daruma() {
  if (!EntryPointBound(Dar_FechaPorta, "DAR_FechaSerial")) return false;
  porta_aberta = false;
  return Dar_FechaPorta() != 0;
}

void StopImpFiscal_Daruma() {
  Qdm00000::FechaPorta();
  // The library's own port closing: a stopped register leaves the serial
  // port free for the next start or another program.
  if (Dar_FechaPorta != nullptr) FechaPorta_Daruma();
  Log("Descarregando DLL Impressora Fiscal");
  ClearEntryPoints();
}

bool IniciaImp_Daruma() {
  for (const StartupStep& step : CurrentModel().startup) {
    const bool ok = EnviaComando_Daruma(Byte(step.command), {}, false, false);
    std::string resposta;
    RetornoImpFiscal_Daruma(Byte(step.command), true, resposta);
    // An error answer holds no identity or date: the field stays empty
    // rather than take the error's characters or an earlier start's value.
    for (const StartupReading& reading : step.readings)
      *reading.target = ok ? Field(resposta, reading.field) : std::string();
  }
  return true;
}

std::string NumeroCupom() { return stNrCupom; }

}  // namespace Qdm00300
