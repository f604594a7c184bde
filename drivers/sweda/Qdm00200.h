// Module Qdm00200: the Sweda driver (printer type codes 3, 4, 5 and 6, four
// models of one command set; 4 has the check station), reached through the
// maker's library "SERSWEDA.dll". Its ready flag is the one the facade
// reads and writes.
//
// Results: every operation answers true when the printer took the command
// (its answer is not a refusal, position 2 "-"). It answers false, and
// sends nothing more, when the printer refuses or does not answer (the
// operator is told where `avisa` is true; a refusal is always logged), when
// the driver is not bound (before a start, after a stop: logged "ERRO!!! DLL
// nao carregada: EnviaComando"), and when an amount or quantity does not fit
// its field (logged and shown). A refusal never raises.
//
// Flag pairs (avisa, repete): `avisa` asks that a failure be shown to the
// operator; `repete` is accepted and has no effect (a busy printer is
// always asked again within SwedaBusyTimeoutMs).
//
// Command codes are written as the type-3 model names them; the channel
// translates them for the other models (see models.cpp).
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
extern bool boComando;          // a command is being sent and judged
extern std::string stRetorno;
extern std::string IdTotParcCV;  // totalizer of change vouchers

// Totalizer and payment globals filled by the table loaders: a totalizer's
// two-digit number on the printer, "" when the printer has none.
extern std::string IdImpVendCon;    // set by the host: "S" asks for the consumer-sale totalizers
extern std::string IdTotParcOutr;   // the group of the consumer-sale and credit totalizers
extern std::string IdTotParcVCons;  // consumer sale
extern std::string IdTotCompCred;   // credit purchase
extern std::string IdTotParcSang;   // withdrawal
extern std::string IdTotParcSup;    // cash supply
extern std::string IdTotParcES;     // the group of the supply and withdrawal totalizers
// The payment type of kind "9" (own card) and "A" (consumer sale): its code
// in the payment-type file, its method number on the printer and its name.
extern std::string CdFormPagCPess;
extern std::string IdFormPagCPess;
extern std::string DsFormPagCPess;
extern std::string CdFormPagVCons;
extern std::string IdFormPagVCons;
extern std::string DsFormPagVCons;

// ---- Library binding, port and command channel ---------------------------
// False only when "SERSWEDA.dll" cannot be loaded (logged, and the file
// named to the operator). A library without one of the three entry points
// is left unbound and the facade's printer stopped; a port that does not
// open leaves the driver unbound. boImpFiscalOK tells whether it opened.
bool StartImpFis_Sweda(const std::string& porta);  // "COM1", as the facade passed it
// Forgets the three entry points; the library stays loaded.
void StopImpFis_Sweda();
// Opens `porta` (its place in the facade's port table; 14 when not there),
// asks the printer's status (little paper is told), cancels a coupon an
// interrupted sale left open and closes an open report. False when the
// port does not open (logged, the operator told) or the status is refused.
bool AbrePorta_Sweda(const std::string& porta);
// Closes the port the start opened (or the data module's IdPortaImpFis).
void FechaPorta_Sweda();
// Frames, sends and judges one command; `avisa` shows a refusal to the
// operator. A busy answer (".-P006") is never taken as done: the frame is
// sent again within SwedaBusyTimeoutMs, `repete` or not, and a printer
// still busy then leaves the command refused. A refusal "ERRO-OPERACAO NAO
// ENCERRADA" cancels the unfinished operation (ESC ".05}"), except after a
// text line of ours ("08").
// The frame is ESC "." code, the arguments joined with nothing between
// them, "}"; the answer lands in SwedaRet.
bool EnviaComando_Sweda(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                        bool repete);
// Judges the last answer as the channel does: true unless it is a refusal
// (logged; shown when `avisa`). `cancelaAberto` and `avisaPapel` are
// accepted for the facade's sake and have no effect: an unfinished
// operation is always cancelled, little paper always told.
bool ImpressoraOK(bool avisa, bool cancelaAberto, bool avisaPapel);
// The last answer, logged: for `comando` "27" the coupon number (four
// digits; asked again up to three times; "" when the printer gives no coupon
// data), for "22" the drawer flag ("000" when position 6 of the answer is
// "0", otherwise "001"), otherwise the whole answer. `apara` is accepted and has no effect.
std::string RetornoImpFiscal_Sweda(const std::string& comando, bool apara);
// Reads the fiscal day, the printer clock, the Z-reduction flag, the printer
// number and the serial into the facade's globals; a refused reading keeps
// what its global held. Always true: the facade's checks judge what was read.
bool IniciaImp_Sweda();

// ---- Tables ----------------------------------------------------------------
// Finds the supply, withdrawal, consumer-sale and credit totalizers on the
// printer (the IdTot* globals) and programs those missing ("38"), twice at
// most; nothing when the list cannot be read.
void CarregaTot_Sweda();
// Fills the data module's cdsAliqImpFis with the printer's rates (code of
// three characters, rate, kind) and the untaxed classes "N", "I", "F".
void CarregaAliq_Sweda();
// Opens "tiporece.cds" of DsDirCad into `recebimentos` (raises when the
// file is missing or unreadable, logged), numbers every payment type but
// the "B" rows (CDFPIMPFIS, IDEMIVALE), programs the printer's methods when
// they differ ("39") or, when the printer refuses, takes its numbering, and
// closes the file, writing it back.
void CarregaRec_Sweda(TClientDataSet& recebimentos);
// Programs the payment methods: `lista` is the whole list of entries.
bool Config_FormaPg_Sweda(const std::string& lista, bool avisa, bool repete);
// Command "38" with its four fields as given: "N" and the entries to add.
bool Nomeia_TotParcial_Sweda(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                             const std::string& campo4, bool avisa, bool repete);

// ---- Fiscal operations -----------------------------------------------------
// Operations without `avisa` show a refusal to the operator.
bool AbreCupom_Sweda();  // "17"
// An item sale ("01") and its discount ("02", sent also when zero and also
// after a refused sale). `codigo` goes as 13 digits, `descricao` as 24
// characters, `aliquota` the printer's rate code ("T01"...); the quantity
// is cut to three decimals, the unit price rounded to two, the item total
// (price times quantity) cut to the cent; the discount as a percentage text
// (types 3 and 4) or four digits (5 and 6). Nothing is sent when a number
// does not fit its field. The result is the sale's.
bool VendaItem_Sweda(const std::string& codigo, const std::string& descricao, const std::string& aliquota,
                     double quantidade, double preco, double desconto);
bool Leitura_X_Sweda(const std::string& texto);  // "13" with `texto`
// "14" with `texto` and today's date (DDMMYY) on the library clock.
bool Reducao_Z_Sweda(const std::string& texto);
// Fiscal-memory reading ("16") between two dates, or two Z-reduction
// numbers, as the front end wrote them.
bool Memoria_Fiscal_Data_Sweda(const std::string& de, const std::string& ate);
bool Memoria_Fiscal_RedZ_Sweda(const std::string& de, const std::string& ate);
// "10" with its two fields as given: the totalizer and the amount.
bool Totaliza_NFiscal_Sweda(const std::string& totalizador, const std::string& valor);
bool Cancela_ItGenerico_Sweda(const std::string& item, bool avisa);  // "04": item number
// Cancels the last coupon ("05"); `resposta` receives the printer's answer.
bool Cancela_Cupom_Sweda(bool avisa, bool repete, std::string& resposta);
// A receipt not linked to a coupon ("19") with its four fields as given.
bool Cupom_NFiscNVinc_Sweda(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                            const std::string& campo4);
// The drawer's state ("22"); read it with RetornoImpFiscal_Sweda("22").
bool Estado_Gaveta_Sweda(bool avisa, bool repete);
bool Leitura_Totais_Sweda(bool avisa, bool repete);   // "27": read the answer in SwedaRet
bool FechRelatGerenc_Sweda(bool avisa, bool repete);  // "12": closes the open report
bool Estado_Imp_Sweda(bool avisa, bool repete);       // "23": the printer's status
bool Numero_Cupom_Sweda();                            // "27"; read the number with RetornoImpFiscal_Sweda("27")
// Sends nothing and answers true: the supply is not registered on a Sweda
// printer.
bool Suprimento_Sweda(double valor);
// One piece of free text (card voucher lines) in the open non-fiscal
// report, which the printer opens with the first line; FechRelatGerenc_Sweda
// closes it. Refused (false, "ERRO!!! Cupom aberto." in the log, nothing
// printed) while the printer holds a coupon open: a text line never
// touches a sale.
bool ImprimeTexto_Sweda(const std::string& texto);

// ---- Checks (code 4 has the check station) ----------------------------------
// The check's layout ("46" "S" and `texto`); a refusal is not shown.
bool Formato_Chq(const std::string& texto);
// "45" with its two fields as given.
bool Altera_Chq(const std::string& campo1, const std::string& campo2);
// The check's amount, payee, place and date ("44"), as the front end wrote them.
bool Dados_Chq(const std::string& valor, const std::string& favorecido, const std::string& local,
               const std::string& data);
bool Fecha_Imp_Chq_Sweda(bool avisa, bool repete);  // "_25": prints the check

}  // namespace Qdm00200

PKG_QDM_PUBLIC_END
