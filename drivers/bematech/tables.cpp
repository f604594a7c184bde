// The printer's tables: non-fiscal totalizers, tax rates and payment
// methods, and the small table commands the facade forwards.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/driver_services.h"
#include "drivers/common/tax_rates.h"
#include "utility/utility.h"
#include "platform/os/application.h"
#include "platform/base/errors.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

namespace {

constexpr int kTotalizerSlot = 19;
constexpr int kRateGroup = 4;
constexpr int kRateMapBits = 16;
constexpr int kPaymentNameWidth = 16;

std::string TwoDigits(int n) { return util::Ajusta(platform::IntToStr(n), 2); }

std::string SlotName(const std::string& text) { return platform::Trim(platform::Copy(text, 1, kTotalizerSlot)); }

// Whether rate i (from 1) is a service rate: bit 16 - i of the map, the
// first rate being the highest bit of the first byte.
bool ServiceRate(int map, int i) {
  if (i < 1 || i > kRateMapBits) return false;
  return ((map >> (kRateMapBits - i)) & 1) != 0;
}

using drivers::AddRate;

// One rate of the "26" answer; a malformed group keeps what was filled.
void AddPrinterRate(platform::TClientDataSet& aliquotas, int i, const std::string& grupo, int mapa) {
  aliquotas.Append();
  try {
    aliquotas.FieldByName("CDALIQIMPFIS").SetAsString(TwoDigits(i));
    const std::string texto =
        platform::Copy(grupo, 1, 2) + platform::FormatSettings().DecimalSeparator + platform::Copy(grupo, 3, 2);
    aliquotas.FieldByName("VRALIQIMPFIS").SetAsFloat(platform::StrToFloat(texto));
    aliquotas.FieldByName("IDALIQIMPFIS").SetAsString(ServiceRate(mapa, i) ? "S" : "T");
  } catch (const platform::Exception&) {
  }
  aliquotas.Post();
}

}  // namespace

void CarregaTot_Bematech() {
  const std::string cv = SlotName(CatalogueText("CV-EMITIDO"));
  const std::string relatorio = SlotName(CatalogueText("RELATORIO"));
  std::string voucher;
  IdTotRelatorio.clear();
  IdTotParcCV.clear();
  // Without the printer's list nothing is created: a totalizer named in
  // the fiscal memory cannot be taken back.
  const std::optional<std::string> lista = Query("35", {"25"}, false, "", false);
  if (!lista) return;
  stRetorno = *lista;
  int n = 1;
  while (!stRetorno.empty() && stRetorno[0] != '\0') {
    const std::string nome = SlotName(stRetorno);
    if (nome == cv) voucher = TwoDigits(n);
    if (nome == relatorio) IdTotRelatorio = TwoDigits(n);
    platform::Delete(stRetorno, 1, kTotalizerSlot);
    ++n;
  }
  if (voucher.empty()) {
    voucher = TwoDigits(n);
    EnviaComando_Bematech("40", {voucher, CatalogueText("CV-EMITIDO")}, false, false);
    ++n;
  }
  if (IdTotRelatorio.empty()) {
    IdTotRelatorio = TwoDigits(n);
    EnviaComando_Bematech("40", {IdTotRelatorio, CatalogueText("RELATORIO")}, false, false);
  }
  IdTotParcCV = voucher;
}

void CarregaAliq_Bematech() {
  platform::TClientDataSet& aliquotas = Qdm00000::DataModule().cdsAliqImpFis;
  // The rates are learnt only from two good answers; otherwise the table
  // keeps just the untaxed classes and no item is sold under a wrong rate.
  const std::optional<std::string> mapa_bytes = Query("35", {"29"}, true, "3529");
  const std::optional<std::string> taxas = Query("26", {}, true);
  int mapa = 0;
  int n = 0;
  stRetorno.clear();
  if (mapa_bytes && taxas && mapa_bytes->size() >= 2) {
    mapa = static_cast<unsigned char>((*mapa_bytes)[0]) * 256 + static_cast<unsigned char>((*mapa_bytes)[1]);
    stRetorno = *taxas;
    n = platform::StrToInt(platform::Copy(stRetorno, 1, 2));
    platform::Delete(stRetorno, 1, 2);
  }
  aliquotas.Close();
  aliquotas.CreateDataSet();
  for (int i = 1; i <= n; ++i) {
    AddPrinterRate(aliquotas, i, stRetorno, mapa);
    platform::Delete(stRetorno, 1, kRateGroup);
  }
  AddRate(aliquotas, "NN", 0, "N");
  AddRate(aliquotas, "II", 0, "I");
  AddRate(aliquotas, "FF", 0, "F");
}

void CarregaRec_Bematech(TClientDataSet& recebimentos) {
  recebimentos.SetFilter("IDTPBUTTON = '5'");
  recebimentos.SetFiltered(true);
  recebimentos.First();
  while (!recebimentos.Eof()) {
    const std::string tipo = recebimentos.FieldByName("IDTIPORECE").AsString();
    if (tipo != "B") {
      const std::string nome = platform::Copy(recebimentos.FieldByName("NMTIPORECE").AsString(), 1, kPaymentNameWidth);
      const std::optional<std::string> numero = Query("71", {nome}, false);
      if (numero && !numero->empty()) {
        recebimentos.Edit();
        recebimentos.FieldByName("CDFPIMPFIS").SetAsString(*numero);
        recebimentos.FieldByName("IDEMIVALE").SetAsString(tipo == "4" ? "N" : "S");
        recebimentos.Post();
      }
    }
    recebimentos.Next();
    platform::Application().ProcessMessages();
  }
}

bool Retorno_Aliquotas_Bematech() { return EnviaComando_Bematech("26", {}, true, false); }

bool Config_FormaPg_Bematech(const std::string& forma, bool avisa, bool repete) {
  return EnviaComando_Bematech("71", {forma}, avisa, repete);
}

bool Nomeia_TotParcial_Bematech(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                                const std::string& campo4, bool avisa, bool repete) {
  return EnviaComando_Bematech("40", {campo1, campo2, campo3, campo4}, avisa, repete);
}

}  // namespace Qdm00100
