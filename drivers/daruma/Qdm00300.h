// Module Qdm00300: the Daruma driver (printer type codes 7 and 8, two
// models), reached through the maker's library "fs345_32.dll".
//
// Command bytes are written as the type-7 model names them; the channel
// translates them for type 8 (see models.cpp).
#pragma once
#include <string>
#include <vector>

#include "platform/base/clock.h"
#include "platform/dataset/dataset.h"
#include "platform/os/dynlib.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00300 {

using platform::TClientDataSet;

// Entry points of the maker library. Integers are 32 bits.
using TDarAbreSerial = int(const char* porta);
using TDarEnvia = int(const char* bytes, int tamanho, int modo);
using TDarFechaSerial = int();
using TDarResposta = int(char* buffer, int tamanho);
using TDarErro = int();

// ---- Exported globals --------------------------------------------------
extern platform::HMODULE DarumaDLLHandle;
extern TDarAbreSerial* Dar_AbrePorta;
extern TDarEnvia* DarumaEnviaComando;
extern TDarFechaSerial* Dar_FechaPorta;
extern TDarResposta* Dar_Resposta;
extern TDarErro* Dar_Erro;
extern std::string DarumaRet;  // the last answer read from the printer
extern int inTipoImpFis;       // 7 or 8, taken at start
extern std::string stNrCupom;  // number of the coupon last opened
extern bool boComando;         // a command is in progress

// Letters of the printer's totalizers and payment methods (tables.cpp).
extern std::string IdTotParcCV;
extern std::string IdTotRelatGer;
extern std::string IdTotCompCred;
extern std::string IdTotTef;
extern std::string CdFormPagCPess;
extern std::string IdFormPagCPess;
extern std::string DsFormPagCPess;
extern std::string IdFormPagVCons;
extern std::string CdFormPagVCons;
extern std::string DsFormPagVCons;
extern std::string IdTotParcVCons;
extern std::string IdTotParcSang;
extern std::string IdTotParcSup;
extern std::string IdImpVendCon;

// Clears every global of the module (done when the library is unloaded).
void ClearGlobals();

// ---- Library binding, port and command channel ---------------------------
bool StartImpFis_Daruma(const std::string& tipo, const std::string& porta);
bool AbrePorta_Daruma(int tipo, const std::string& porta);
// Releases the serial port the library holds (the driver's stop calls it).
bool FechaPorta_Daruma();
void StopImpFiscal_Daruma();
bool IniciaImp_Daruma();
bool EnviaComando_Daruma(const std::string& comando, const std::vector<std::string>& parametros,
                         bool a, bool b);
bool ImpressoraOK(bool a, bool b, bool c);
void Retorno_Daruma(const std::string& comando, bool flag, std::string& resposta);
void RetornoImpFiscal_Daruma(const std::string& comando, bool flag, std::string& resposta);
std::string NumeroCupom();

// ---- Tables ----------------------------------------------------------------
void CarregaTot_Daruma();
void CarregaRec_Daruma(TClientDataSet& recebimentos);
void CarregaAliq_Daruma();
int ProximaLetra(int inicio);

// ---- Operations ------------------------------------------------------------
bool AbreCupom_Daruma();
bool VendaItem_Daruma(const std::string& codigo, const std::string& descricao,
                      const std::string& aliquota, double quantidade, double preco,
                      double desconto);
bool Cancela_ItGenerico_Daruma(const std::string& item, bool a);
bool Cancela_Cupom_Daruma(bool a, bool b, std::string& resposta);
// Closes the open coupon, paying valorPago: type 7 totals it with the
// discount valor1 and pays under the letter "P"; type 8 closes it in one
// command with the discount valor1 + valor2. True when the printer closed
// the coupon (it is asked when the closing's answer was lost); any other
// type code sends nothing and answers true.
bool FechaCupom_Daruma(int tipo, bool flag, const std::string& cnpjCpf, double valor1,
                       double valor2, double valorPago, const std::string& nome);
// The facade's coupon closing: the discount, each entry ("E") of the
// payment movements in the order taken (DTHRINCMOV) under its payment
// type's printer letter (CDFPIMPFIS of recebimentos), and the customer's
// CNPJ/CPF and name in the footer (type 8: one command with the sum paid).
// numeroCupom receives the coupon's number. Refused before anything is sent
// (logged, the operator told): a surcharge, a change voucher, a payment type
// without a letter, an amount that does not fit.
bool FechaCupomFormasPg_Daruma(double desconto, double acrescimo, bool contraVale,
                               TClientDataSet& movimentos, TClientDataSet& recebimentos,
                               std::string& numeroCupom, const std::string& cnpjCpf,
                               const std::string& nome);
bool Totaliza_NFiscal_Daruma(const std::string& s1, const std::string& s2);
bool Cupom_NFiscNVinc_Daruma(const std::string& s1, const std::string& s2, const std::string& s3,
                             const std::string& s4);
bool Nomeia_TotParcial_Daruma(const std::string& s1, const std::string& s2,
                              const std::string& s3, const std::string& s4, bool a, bool b);
bool Config_FormaPg_Daruma(const std::string& forma, bool a, bool b);
bool RelGerencial_Daruma();
// One line of free text in the open management report (card vouchers).
bool ImprimeTexto_Daruma(const std::string& texto);
bool FechRelatGerenc_Daruma(bool a, bool b);
bool MemoFiscal_Daruma(const std::string& s1, const std::string& s2, const std::string& s3);
bool Leitura_X_Daruma(const std::string& texto);
bool Reducao_Z_Daruma(const std::string& texto);
bool Leitura_Totais_Daruma(bool a, bool b);
bool RetornoAliq_Daruma();
bool Estado_Gaveta_Daruma(bool a, bool b);
bool Estado_Imp_Daruma(bool a, bool b);
bool Suprimento_Daruma(double valor);

}  // namespace Qdm00300

PKG_QDM_PUBLIC_END
