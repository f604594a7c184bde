// Module Qdm00000: the printer-independent facade. The front end calls these
// functions; each looks at the printer type code IdTipoImpFis and hands the
// call to the driver that serves it.
#pragma once
#include <array>
#include <string>

#include "drivers/common/driver_services.h"
#include "drivers/common/type_codes.h"
#include "facade/dtmCupomFiscal.h"
#include "platform/base/clock.h"
#include "platform/dataset/dataset.h"

namespace Qdm00000 {

using platform::TClientDataSet;
using platform::TDateTime;

// ---- Exported globals --------------------------------------------------
// The globals every module shares (type code, identity, dates, port
// tables), the data module and the debug log are declared in
// drivers/common/driver_services.h; the type-code sets (IsBematech,
// IsSweda, IsDaruma) in drivers/common/type_codes.h.

// Puts the facade's globals back as they are when the library is loaded
// (texts empty, codes 0, the ready flag false); the data module is kept.
// Run when the library is unloaded.
void ClearGlobals();

// ---- Printer selection and start-up -------------------------------------
bool StartImpFiscal(const std::string& tipo, const std::string& porta);
bool IniciaImpressora(const std::string& sistema, const std::string& semLeituraX,
                      TClientDataSet& recebimentos, TClientDataSet& aliquotas);
void StopImpFiscal();
bool AbrePorta(const std::string& porta);
bool FechaPorta();
bool ImpFiscalOK();
void SetImpFiscalOK(bool valor);
void CarregaTotalizador();
void CarregaAliquota();
void CarregaRecebimento(TClientDataSet& recebimentos);

// ---- Configuration file --------------------------------------------------
bool CarregaECF(const std::string& caixa);
// The checksum a configuration tool writes for a printer number and serial.
int ChecksumECF(const std::string& nrEcfCaixa, const std::string& nrSerieEcf);

// ---- Checks and log ------------------------------------------------------
bool VerificaData(const std::string& texto);
std::string SubtDataHora(TDateTime inicio, TDateTime fim);
std::string Verifica_Aliquota(const std::string& texto);
void ImpFisDebug(const std::string& mensagem);
std::string AjustaZero(const std::string& texto, int largura);
TDateTime DataMoviFiscal();
bool RecebVenda();
// Full path of the debug log ("impdebug.txt" beside the host executable).
std::string DebugLogPath();

// ---- Operations routed by type code --------------------------------------
bool AbreCupom(const std::string& texto);
bool VendaItem(const std::string& s1, const std::string& s2, const std::string& s3,
               const std::string& s4, const std::string& s5, double d1, double d2, double d3);
bool FechaCupom(bool o1, bool o2, double d1, double d2, double d3, const std::string& s1,
                bool o3, const std::string& s2, TClientDataSet& ds1, TClientDataSet& ds2,
                std::string& out1, const std::string& s3, const std::string& s4,
                const std::string& s5, const std::string& s6, const std::string& s7);
bool Cancela_Cupom(bool a, bool b, std::string& numero);
bool Cancela_Item_Generico(const std::string& item, bool a);
bool Acrescimo(double valor);
bool Totaliza_NFiscal(const std::string& s1, const std::string& s2);
bool Cupom_NFiscal_NVinculado(const std::string& s1, const std::string& s2,
                              const std::string& s3, const std::string& s4);
bool Abre_Comp_NFiscalVinc(const std::string& s1, const std::string& s2, const std::string& s3);
bool Nomeia_TotParcial(const std::string& s1, const std::string& s2, const std::string& s3,
                       const std::string& s4, bool a, bool b);
bool Config_Forma_Pagamento(const std::string& forma, bool a, bool b);
bool Leitura_X(const std::string& texto);
bool Reducao_Z(const std::string& texto);
bool Memoria_Fiscal(const std::string& de, const std::string& ate, const std::string& s3,
                    const std::string& tipo);
bool Relatorio_Gerencial();
bool FechRelatGerenc(bool a, bool b);
bool Retorno_Aliquotas();
bool Leitura_Totais(bool a, bool b);
bool Estado_Impressora(bool a, bool b);
bool Estado_Gaveta(bool a, bool b);
bool Abre_Gaveta();
std::string Nr_Cupom();
std::string RetornoImpFiscal(const std::string& comando, bool a);
bool Sangria(double valor);
bool Suprimento(double valor);
bool GeraReciboSangria(TClientDataSet& ds1, TClientDataSet& ds2, TClientDataSet& ds3,
                       TClientDataSet& ds4, TClientDataSet& ds5, TClientDataSet& ds6,
                       TDateTime data);
bool ExportRedZ(TClientDataSet& ds1, TClientDataSet& ds2, TClientDataSet& ds3,
                TClientDataSet& ds4, TClientDataSet& ds5);
bool Fecha_Imp_Chq(bool a, bool b);
bool Cancela_Item(const std::string& s1, const std::string& s2, const std::string& s3,
                  const std::string& s4, const std::string& s5, double d1, double d2, double d3);
bool Cupom_Conferencia(const std::string& s1, const std::string& s2, double d1, double d2);
bool Fecha_Conferencia(const std::string& s1, double d1);
bool Juncao_Mesa(const std::string& s1, const std::string& s2);
bool AbreCupomRes(const std::string& s1, const std::string& s2);
bool Transfere_Item(const std::string& s1, const std::string& s2, const std::string& s3,
                    const std::string& s4, const std::string& s5, const std::string& s6,
                    double d1, double d2, double d3);
bool Estorno(const std::string& s1, const std::string& s2, double d1);
bool Rel_MesaAber(const std::string& s1);
bool ImprimeCardapio();

// Puts one piece of free text (card voucher lines) into the open
// non-fiscal report or voucher; answers whether the printer took it.
// Bematech: the text block command; other makers arrive with their drivers.
bool ImprimeTextoNaoFiscal(const std::string& texto);

}  // namespace Qdm00000
