// Module Qdm00100: the Bematech driver (printer type codes 1, 2 and 9),
// reached through the maker's library "Mp20fi32.dll".
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/os/dynlib.h"

namespace Qdm00100 {

using platform::TClientDataSet;

// Entry points of the maker library (standard calling convention there;
// plain C calls here). Integers are 32 bits.
using TIniPortaStr = int(const char* porta);
using TFechaPorta = int();
using TFormataTX = int(const char* frame);
using TStatus_Mp20FI = int(int* retorno, int* ack, int* st1, int* st2);
using TLe_Variaveis = int(char* buffer);
using TRetorna_ASCII = int();

// ---- Exported globals --------------------------------------------------
extern platform::HMODULE ImpFisDLLHandle;
extern bool boImpFiscalOK;
extern TIniPortaStr* BemaIniPortaStr;
extern TFormataTX* BemaFormataTX;
extern TStatus_Mp20FI* BemaStatus_Mp20FI;
extern TLe_Variaveis* BemaLe_Variaveis;
extern TRetorna_ASCII* BemaRetorna_ASCII;
extern TFechaPorta* BemaFechaPorta;
extern bool boComando;
extern std::string stRetorno;
extern std::string IdTotRelatorio;
extern std::string IdTotParcCV;
extern std::string IdTotParcVCons;
extern std::string IdTotCompCred;

// ---- Library binding, port and command channel ---------------------------
bool StartImpFis_Bematech(const std::string& porta);
void StopImpFiscal_Bematech();
bool AbrePorta_Bematech(const std::string& porta);
bool FechaPorta_Bematech();
bool IniciaImp_Bematech();
bool EnviaComando_Bematech(const std::string& comando, const std::vector<std::string>& parametros,
                           bool avisa, bool reservado);
bool ImpressoraOK(bool avisa, bool cancelaAberto, bool avisaPapel);
std::string RetornoImpFiscal_Bematech(const std::string& comando, bool apara);
// Busy poll bound of the channel (polls of ST2 bit 6 before judging).
extern int MaxBusyPolls;

// ---- Tables ----------------------------------------------------------------
void CarregaTot_Bematech();
void CarregaAliq_Bematech();
void CarregaRec_Bematech(TClientDataSet& recebimentos);
bool Retorno_Aliquotas_Bematech();
bool Config_FormaPg_Bematech(const std::string& forma, bool a, bool b);
bool Nomeia_TotParcial_Bematech(const std::string& s1, const std::string& s2,
                                const std::string& s3, const std::string& s4, bool a, bool b);

// ---- Coupon cycle ----------------------------------------------------------
bool AbreCupom_Bematech(const std::string& texto);
bool VendaItem_Bematech(const std::string& codigo, const std::string& descricao,
                        const std::string& aliquota, double quantidade, double preco,
                        double desconto);
bool Registra_Item_Bematech(const std::string& s1, const std::string& s2, const std::string& s3,
                            const std::string& s4, const std::string& s5, double d1, double d2,
                            double d3);
bool Cancela_Item_Bematech(const std::string& s1, const std::string& s2, const std::string& s3,
                           const std::string& s4, const std::string& s5, double d1, double d2,
                           double d3);
bool Cancela_ItGenerico_Bematech(const std::string& item, bool a);
bool Cancela_Cupom_Bematech(bool a, bool b, std::string& numero);
bool Acrescimo_Bematech(double valor);
bool Totaliza_NFiscal_Bematech(const std::string& s1, const std::string& s2);
bool Cupom_NFiscNVinc_Bematech(const std::string& s1, const std::string& s2, const std::string& s3);
bool Abre_Comp_NFiscalVinc_Bematech(const std::string& s1, const std::string& s2,
                                    const std::string& s3);
bool Usa_CompNFis_Bematech(const std::string& texto);
bool Numero_Cupom_Bematech();
bool Estado_Imp_Bematech(bool a, bool b);
bool Estado_Gaveta_Bematech(bool a, bool b);
bool Abre_Gaveta_Bematech();
bool FechaCupom_Bematech(bool o1, bool o2, double d1, double d2, double d3, const std::string& s1,
                         bool o3, const std::string& s2, TClientDataSet& ds1, TClientDataSet& ds2,
                         std::string& out1, const std::string& s3, const std::string& s4,
                         const std::string& s5, const std::string& s6, const std::string& s7);

// ---- Readings, reports and cash movements ----------------------------------
bool Leitura_X_Bematech(const std::string& texto);
bool Reducao_Z_Bematech(const std::string& texto);
bool Memoria_Fiscal_Bematech(const std::string& de, const std::string& ate, const std::string& s3);
bool RelGerencial_Bematech();
bool FechRelatGerenc_Bematech(bool a, bool b);
bool Leitura_Totais_Bematech(bool a, bool b);
bool Suprimento_Bematech(double valor);
bool Sangria_Bematech(double valor);
platform::TDateTime DataMov_Bematech();

}  // namespace Qdm00100
