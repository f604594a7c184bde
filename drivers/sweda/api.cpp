// Loading and binding "SERSWEDA.dll", the port, the start-up reading of the
// printer's dates and identity, and the module's globals.
#include <algorithm>

#include "drivers/sweda/Qdm00200.h"
#include "drivers/sweda/driver.h"
#include "drivers/common/driver_services.h"
#include "drivers/common/module_globals.h"
#include "platform/base/sysutils.h"
#include "platform/os/dynlib.h"
#include "utility/utility.h"

namespace Qdm00200 {

platform::HMODULE ImpFisDLLHandle = nullptr;
bool boImpFiscalOK = false;
TAbrePorta* SwedaAbrePorta = nullptr;
TEnviaComando* SwedaEnviaComando = nullptr;
TFechaPorta* SwedaFechaPorta = nullptr;
bool SwedaVerifRetorno = false;
std::string SwedaRet;
bool boComando = false;
std::string stRetorno;
std::string IdTotParcCV;
std::string IdImpVendCon;
std::string IdTotParcOutr;
std::string IdTotParcVCons;
std::string IdTotCompCred;
std::string IdTotParcSang;
std::string IdTotParcSup;
std::string IdTotParcES;
std::string CdFormPagCPess;
std::string IdFormPagCPess;
std::string DsFormPagCPess;
std::string CdFormPagVCons;
std::string IdFormPagVCons;
std::string DsFormPagVCons;

using namespace detail;

namespace {

// Clears the globals above when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};

const drivers::EntryPoint kEntryPoints[] = {
    {"AbrePorta", &SwedaAbrePorta},
    {"EnviaComando", &SwedaEnviaComando},
    {"FechaPorta", &SwedaFechaPorta},
};

constexpr const char* kLibrary = "SERSWEDA.dll";
constexpr int kOpenMode = 5;
constexpr int kOpenBits = 0x7F;
constexpr int kUnknownPort = 14;
constexpr int kStartReadAttempts = 10;

// The port the library opened, so the one closed is that one.
int opened_port = -1;

// Place of the port text in the facade's port table; 14 when it is not there.
int PortNumber(const std::string& porta) {
  const auto& portas = Qdm00000::Portas;
  const auto found = std::find(portas.begin(), portas.end(), porta);
  return found == portas.end() ? kUnknownPort : static_cast<int>(found - portas.begin());
}

// Sends "27" (with its selector) with busy repetition and no report, and
// reads the whole answer into stRet.
std::string ReadCouponData(const std::vector<std::string>& selector) {
  EnviaComando_Sweda("27", selector, false, true);
  Qdm00000::stRet = RetornoImpFiscal_Sweda("", true);
  return Qdm00000::stRet;
}

// Up to ten reads, a pause before every one after the first, until the
// answer is the one asked for or a refusal.
template <typename Wanted>
std::string ReadUntil(const std::vector<std::string>& selector, Wanted wanted) {
  std::string answer;
  for (int attempt = 1; attempt <= kStartReadAttempts; ++attempt) {
    if (attempt > 1) util::Delay(1);
    answer = ReadCouponData(selector);
    if (wanted(answer) || Refused(answer)) break;
  }
  return answer;
}

}  // namespace

namespace detail {
drivers::EntryPoints LibraryEntryPoints() { return kEntryPoints; }
}  // namespace detail

void ClearGlobals() {
  boImpFiscalOK = false;
  StopImpFis_Sweda();
  SwedaVerifRetorno = false;
  boComando = false;
  for (std::string* text : {&SwedaRet, &stRetorno, &IdTotParcCV, &IdImpVendCon, &IdTotParcOutr, &IdTotParcVCons,
                            &IdTotCompCred, &IdTotParcSang, &IdTotParcSup, &IdTotParcES, &CdFormPagCPess,
                            &IdFormPagCPess, &DsFormPagCPess, &CdFormPagVCons, &IdFormPagVCons, &DsFormPagVCons})
    text->clear();
  opened_port = -1;
}

bool StartImpFis_Sweda(const std::string& porta) {
  // All three entry points or none: a library without one of them is left
  // unbound, and the facade stops the printer.
  const drivers::Started started = drivers::StartDriver(ImpFisDLLHandle, kLibrary, kEntryPoints,
                                                        {.open = [&porta] { return AbrePorta_Sweda(porta); },
                                                         .close = FechaPorta_Sweda,
                                                         .unbind = StopImpFis_Sweda,
                                                         .unbound = Qdm00000::StopImpFiscal});
  if (started == drivers::Started::Open) boImpFiscalOK = true;
  return started != drivers::Started::NotLoaded;
}

void StopImpFis_Sweda() { drivers::ClearAll(kEntryPoints); }

bool AbrePorta_Sweda(const std::string& porta) {
  if (!EntryPointBound(SwedaAbrePorta, "AbrePorta")) return false;
  const int numero = PortNumber(porta);
  if ((SwedaAbrePorta(numero, kOpenMode) & kOpenBits) == 0) {
    Log("ERRO!!! Abrindo porta " + Qdm00000::stPorta);
    ShowError(CatalogueText("ErroPorta"));
    return false;
  }
  opened_port = numero;
  // The status request judges the printer (little paper is told there).
  if (!EnviaComando_Sweda("23", {}, true, false)) return false;
  // A coupon left open by an interrupted sale is cancelled. One the
  // printer will not cancel stays open for the till to settle: the "12"
  // that ends a report left open would close it, once paid, as a sale
  // nobody finished.
  EnviaComando_Sweda("28", {}, false, true);
  bool coupon_held = false;
  if (CouponLeftOpen(RetornoImpFiscal_Sweda("", true))) coupon_held = !EnviaComando_Sweda("05", {}, false, false);
  if (!coupon_held) EnviaComando_Sweda("12", {}, false, false);
  return true;
}

void FechaPorta_Sweda() {
  if (!EntryPointBound(SwedaFechaPorta, "FechaPorta")) return;
  const int porta = opened_port >= 0 ? opened_port : Qdm00000::DataModule().IdPortaImpFis;
  SwedaFechaPorta(porta);
  opened_port = -1;
}

bool IniciaImp_Sweda() {
  using Qdm00000::stData;
  // A refused reading keeps what its globals held (a refusal's text never
  // passes for a date or a number) and the others are still read; the
  // facade's checks judge what was read.
  std::string answer = ReadUntil({}, CouponData);
  if (CouponData(answer)) stData = Slice(answer, 8, 13);
  answer = ReadCouponData({});
  if (CouponData(answer)) stData = Slice(answer, 8, 13);

  EnviaComando_Sweda("28", {}, false, true);
  answer = Qdm00000::stRet = RetornoImpFiscal_Sweda("", true);
  if (!answer.empty() && !Refused(answer)) {
    Qdm00000::stDataAtu = Slice(answer, 47, 56);
    Qdm00000::stRed = Slice(answer, 21, 21);
  }

  const auto identity = [](const std::string& a) { return !Refused(a) && At(a, 7) == '3'; };
  answer = ReadUntil({"3"}, identity);
  if (identity(answer)) Qdm00000::ECF = Slice(answer, 4, 6);
  if (!Qdm00000::ECF.empty()) {
    answer = ReadCouponData({"3"});
    if (identity(answer)) Qdm00000::SerieECF = platform::Trim(Slice(answer, 13, 21));
  }
  return true;
}

}  // namespace Qdm00200
