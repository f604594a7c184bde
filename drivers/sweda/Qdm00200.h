// Module Qdm00200: the Sweda driver (printer type codes 3, 4, 5 and 6, four
// models of one command set), reached through the maker's library
// "SERSWEDA.dll". Its ready flag is the one the facade reads and writes.
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/os/dynlib.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00200 {

using platform::TClientDataSet;

// Entry points of the maker library. The answer buffer holds 256 bytes: a
// length byte, then up to 255 characters.
using TAbrePorta = int(int porta, int modo);
using TEnviaComando = int(const char* frame, char* resposta);
using TFechaPorta = int(int porta);

// ---- Exported globals --------------------------------------------------
extern platform::HMODULE ImpFisDLLHandle;
extern bool boImpFiscalOK;
extern TAbrePorta* SwedaAbrePorta;
extern TEnviaComando* SwedaEnviaComando;
extern TFechaPorta* SwedaFechaPorta;
extern bool SwedaVerifRetorno;  // set by the host: poll the state after every command
extern std::string SwedaRet;    // the printer's last answer
extern bool boComando;
extern std::string stRetorno;
extern std::string IdTotParcCV;

// Totalizer and payment globals filled by the table loaders.
extern std::string IdImpVendCon;  // set by the host: "S" asks for the consumer-sale totalizers
extern std::string IdTotParcOutr;
extern std::string IdTotParcVCons;
extern std::string IdTotCompCred;
extern std::string IdTotParcSang;
extern std::string IdTotParcSup;
extern std::string IdTotParcES;
extern std::string CdFormPagCPess;
extern std::string IdFormPagCPess;
extern std::string DsFormPagCPess;
extern std::string CdFormPagVCons;
extern std::string IdFormPagVCons;
extern std::string DsFormPagVCons;

// How long a busy printer is asked again, and how long the state poll
// waits for the printer to finish, on the library clock, before the
// command is judged as it stands.
extern int SwedaBusyTimeoutMs;
extern int SwedaPollTimeoutMs;

// Puts the module's globals back as they are when the library is loaded.
// Run when the library is unloaded.
void ClearGlobals();

// ---- Library binding, port and command channel ---------------------------
bool StartImpFis_Sweda(const std::string& porta);
void StopImpFis_Sweda();
bool AbrePorta_Sweda(const std::string& porta);
void FechaPorta_Sweda();
// Frames, sends and judges one command; `avisa` shows a refusal to the
// operator. A busy answer (".-P006") is never taken as done: the frame is
// sent again within SwedaBusyTimeoutMs, `repete` or not, and a printer
// still busy then leaves the command refused. A refusal "ERRO-OPERACAO NAO
// ENCERRADA" cancels the unfinished operation (ESC ".05}"), except after a
// text line of ours ("08").
bool EnviaComando_Sweda(const std::string& comando, const std::vector<std::string>& parametros,
                        bool avisa, bool repete);
bool ImpressoraOK(bool avisa, bool b, bool c);
std::string RetornoImpFiscal_Sweda(const std::string& tipo, bool b);
bool IniciaImp_Sweda();

// ---- Tables ----------------------------------------------------------------
void CarregaTot_Sweda();
void CarregaAliq_Sweda();
void CarregaRec_Sweda(TClientDataSet& recebimentos);
bool Config_FormaPg_Sweda(const std::string& lista, bool avisa, bool repete);
bool Nomeia_TotParcial_Sweda(const std::string& s1, const std::string& s2, const std::string& s3,
                             const std::string& s4, bool avisa, bool repete);

// ---- Fiscal operations -----------------------------------------------------
bool AbreCupom_Sweda();
bool VendaItem_Sweda(const std::string& codigo, const std::string& descricao,
                     const std::string& aliquota, double quantidade, double preco,
                     double desconto);
bool Leitura_X_Sweda(const std::string& texto);
bool Reducao_Z_Sweda(const std::string& texto);
bool Memoria_Fiscal_Data_Sweda(const std::string& de, const std::string& ate);
bool Memoria_Fiscal_RedZ_Sweda(const std::string& de, const std::string& ate);
bool Totaliza_NFiscal_Sweda(const std::string& s1, const std::string& s2);
bool Cancela_ItGenerico_Sweda(const std::string& item, bool avisa);
bool Cancela_Cupom_Sweda(bool avisa, bool repete, std::string& resposta);
bool Cupom_NFiscNVinc_Sweda(const std::string& s1, const std::string& s2, const std::string& s3,
                            const std::string& s4);
bool Estado_Gaveta_Sweda(bool avisa, bool repete);
bool Leitura_Totais_Sweda(bool avisa, bool repete);
bool FechRelatGerenc_Sweda(bool avisa, bool repete);
bool Estado_Imp_Sweda(bool avisa, bool repete);
bool Numero_Cupom_Sweda();
bool Suprimento_Sweda(double valor);
// One piece of free text (card voucher lines) in the open non-fiscal
// report, which the printer opens with the first line; FechRelatGerenc_Sweda
// closes it. Refused (false, "ERRO!!! Cupom aberto." in the log, nothing
// printed) while the printer holds a coupon open: a text line never
// touches a sale.
bool ImprimeTexto_Sweda(const std::string& texto);

// ---- Checks (code 4 has the check station) ----------------------------------
bool Formato_Chq(const std::string& texto);
bool Altera_Chq(const std::string& s1, const std::string& s2);
bool Dados_Chq(const std::string& valor, const std::string& s2, const std::string& s3,
               const std::string& s4);
bool Fecha_Imp_Chq_Sweda(bool avisa, bool repete);

}  // namespace Qdm00200

PKG_QDM_PUBLIC_END
