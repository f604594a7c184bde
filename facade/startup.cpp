// Printer selection, start-up and stop, the port, and the loading of the
// printer's tables into the data module.
#include <cmath>

#include "drivers/bematech/Qdm00100.h"
#include "drivers/daruma/Qdm00300.h"
#include "drivers/sweda/Qdm00200.h"
#include "facade/Qdm00000.h"
#include "drivers/common/messages.h"
#include "facade/operator_messages.h"
#include "facade/routing.h"
#include "platform/text/datetime.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/sysutils.h"

namespace Qdm00000 {

namespace {

using platform::mbYesNo;
using platform::mrNo;
using platform::mrYes;
using platform::mtConfirmation;
using platform::mtInformation;

bool DriverStartUp() {
  return Route<bool>({{kBematech, Qdm00100::IniciaImp_Bematech},
                      {kSweda, Qdm00200::IniciaImp_Sweda},
                      {kDaruma, Qdm00300::IniciaImp_Daruma}},
                     true);
}

// The front end gets its own copy of the printer's tax-rate table. A table
// no driver has built yet goes over empty, with its layout.
void CopyTaxRates(TClientDataSet& aliquotas) {
  TClientDataSet& rates = DataModule().cdsAliqImpFis;
  platform::TDataPacket packet;
  if (rates.Active()) {
    packet = rates.GetData();
  } else {
    packet.fields = rates.FieldDefs;
    packet.indexes = rates.IndexDefs;
  }
  aliquotas.SetData(packet);
}

// The fiscal day may still be yesterday's until 01:59; older never.
bool ReducaoZDue() {
  const TDateTime agora = platform::Now();
  const TDateTime hoje = std::floor(agora);
  int hora, minuto, segundo, ms;
  platform::DecodeTime(agora, hora, minuto, segundo, ms);
  const TDateTime dia = std::floor(dtDate);
  return (hoje > dia && hora >= 2) || (hoje - 1 > dia);
}

bool OfferReducaoZ() {
  if (ShowMessage("DataFiscalAnterior", mtInformation, mbYesNo) == mrNo) return false;
  return Reducao_Z("");
}

bool OfferLeituraX() {
  if (ShowMessage("ConfLeitX", mtConfirmation, mbYesNo) != mrYes) return true;
  if (Leitura_X("")) return true;
  drivers::ShowError(drivers::CatalogueText("ErroComando"));
  return false;
}

}  // namespace

bool StartImpFiscal(const std::string& tipo, const std::string& porta) {
  DataModule();
  SetImpFiscalOK(false);
  IdTipoImpFis = platform::StrToInt(tipo);
  ImpFisDebug("Carregando DLL Impressora Fiscal");
  return Route<bool>({{kBematech, [&] { return Qdm00100::StartImpFis_Bematech(porta); }},
                      {kSweda, [&] { return Qdm00200::StartImpFis_Sweda(porta); }},
                      {kDaruma, [&] { return Qdm00300::StartImpFis_Daruma(tipo, porta); }}},
                     true);
}

bool IniciaImpressora(const std::string& sistema, const std::string& semLeituraX, TClientDataSet& recebimentos,
                      TClientDataSet& aliquotas) {
  try {
    DataModule();
    stSistema = sistema;
    if (!DriverStartUp()) return false;
    if (!VerificaData(stDataAtu)) return false;
    CarregaRecebimento(recebimentos);
    CarregaTotalizador();
    CarregaAliquota();
    CopyTaxRates(aliquotas);

    bool result = true;
    if (ReducaoZDue() && (!IsSweda(IdTipoImpFis) || stRed == "F")) {
      if (!OfferReducaoZ()) result = false;
    }
    // Asked even when the Z reduction was refused or failed.
    if (util::EmptyString(semLeituraX) && !OfferLeituraX()) result = false;
    return result;
  } catch (...) {
    return false;
  }
}

void StopImpFiscal() {
  try {
    if (ImpFiscalOK()) {
      ImpFisDebug("Fechando porta");
      FechaPorta();
      ImpFisDebug("Descarregando DLL Impressora Fiscal");
      Run({{kBematech, Qdm00100::StopImpFiscal_Bematech},
           {kSweda, Qdm00200::StopImpFis_Sweda},
           {kDaruma, Qdm00300::StopImpFiscal_Daruma}});
    }
  } catch (...) {
  }
  SetImpFiscalOK(false);
}

bool AbrePorta(const std::string& porta) {
  TdtmCupomFiscal& dm = DataModule();
  if (dm.IdPortaImpFis == 0) dm.IdPortaImpFis = 1;  // default port COM1
  ImpFisDebug("Abrindo porta " + stPorta);
  return Route<bool>({{kBematech, [&] { return Qdm00100::AbrePorta_Bematech(porta); }},
                      {kSweda, [&] { return Qdm00200::AbrePorta_Sweda(porta); }},
                      {kDaruma, [&] { return Qdm00300::AbrePorta_Daruma(IdTipoImpFis, porta); }}});
}

bool FechaPorta() {
  ImpFisDebug("Fechando porta " + stPorta);
  // A Daruma port is closed by the driver's own stop (StopImpFiscal_Daruma);
  // here it answers false, as callers of FechaPorta expect for Daruma codes.
  return Route<bool>({{kBematech, Qdm00100::FechaPorta_Bematech}, {kSweda, [] {
                                                                     Qdm00200::FechaPorta_Sweda();
                                                                     return true;
                                                                   }}});
}

void CarregaTotalizador() {
  Run({{kBematech, Qdm00100::CarregaTot_Bematech},
       {kSweda, Qdm00200::CarregaTot_Sweda},
       {kDaruma, Qdm00300::CarregaTot_Daruma}});
}

void CarregaAliquota() {
  Run({{kBematech, Qdm00100::CarregaAliq_Bematech},
       {kSweda, Qdm00200::CarregaAliq_Sweda},
       {kDaruma, Qdm00300::CarregaAliq_Daruma}});
}

void CarregaRecebimento(TClientDataSet& recebimentos) {
  DataModule();
  Run({{kBematech, [&] { Qdm00100::CarregaRec_Bematech(recebimentos); }},
       {kSweda, [&] { Qdm00200::CarregaRec_Sweda(recebimentos); }},
       {kDaruma, [&] { Qdm00300::CarregaRec_Daruma(recebimentos); }}});
}

}  // namespace Qdm00000
