// Module Qdm00100: the Bematech driver (printer type codes 1, 2 and 9; 9 is
// the restaurant model), reached through the maker's library
// "Mp20fi32.dll".
//
// Results: every operation answers true when the printer took the command
// and its status shows no failure. It answers false, and sends nothing
// more, when the printer refuses (the operator is told where `avisa` is
// true), when the driver is not bound (before a start, after a stop), and
// when an amount or quantity does not fit its field (logged and shown).
// A refusal never raises. What raises reaches the caller: an error of a
// dataset handed in (a missing field), a dialog presenter's error, and
// Cancela_Cupom_Bematech's coupon number when the printer's answer is not
// a number (EConvertError). FechaCupom_Bematech turns errors into false.
//
// Flag pairs (avisa, repete): `avisa` asks that a failure be shown to
// the operator; `repete` is accepted and has no effect.
#pragma once
#include <string>
#include <vector>

#include "platform/dataset/dataset.h"
#include "platform/os/dynlib.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

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
extern platform::HMODULE ImpFisDLLHandle;  // loaded once, never released
extern bool boImpFiscalOK;                 // set when a start opened the port
extern TIniPortaStr* BemaIniPortaStr;
extern TFormataTX* BemaFormataTX;
extern TStatus_Mp20FI* BemaStatus_Mp20FI;
extern TLe_Variaveis* BemaLe_Variaveis;
extern TRetorna_ASCII* BemaRetorna_ASCII;
extern TFechaPorta* BemaFechaPorta;
extern bool boComando;  // a command is being sent and judged
extern std::string stRetorno;
extern std::string IdTotRelatorio;  // totalizer of management reports
extern std::string IdTotParcCV;     // totalizer of change vouchers
extern std::string IdTotParcVCons;
extern std::string IdTotCompCred;

// ---- Library binding, port and command channel ---------------------------
// False only when "Mp20fi32.dll" cannot be loaded (logged, and the file
// named to the operator); whether binding and the port succeeded shows in
// boImpFiscalOK and in the entry points.
bool StartImpFis_Bematech(const std::string& porta);
// Forgets the six entry points; the library stays loaded. Safe while a
// command waits out a busy printer: that command then ends as failed.
void StopImpFiscal_Bematech();
bool AbrePorta_Bematech(const std::string& porta);  // "COM1", as the facade passed it
bool FechaPorta_Bematech();
// Reads the fiscal day, the printer clock, the printer number and the
// serial into the facade's globals. False only when the printer refuses the
// first reading; a later refused reading keeps that global as it was.
bool IniciaImp_Bematech();
// The command channel: frames `comando` with `parametros`, sends it, waits
// out a busy printer (bounded) and judges the status.
bool EnviaComando_Bematech(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                           bool repete);
// Judges the printer's status bytes; `cancelaAberto` cancels a coupon left
// open (logging its number), `avisaPapel` tells the operator of little paper.
bool ImpressoraOK(bool avisa, bool cancelaAberto, bool avisaPapel);
// The printer's last data answer: "3529" gives its two raw bytes; `apara`
// trims blanks, otherwise all 3000 bytes. "" when unbound.
std::string RetornoImpFiscal_Bematech(const std::string& comando, bool apara);

// ---- Tables ----------------------------------------------------------------
void CarregaTot_Bematech();
void CarregaAliq_Bematech();
void CarregaRec_Bematech(TClientDataSet& recebimentos);
bool Retorno_Aliquotas_Bematech();
// Programs a payment method by its name; the printer answers its number.
bool Config_FormaPg_Bematech(const std::string& forma, bool avisa, bool repete);
// Command "40" with its four fields as given: the totalizer's two-digit
// number and its name first.
bool Nomeia_TotParcial_Bematech(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                                const std::string& campo4, bool avisa, bool repete);

// ---- Coupon cycle ----------------------------------------------------------
bool AbreCupom_Bematech(const std::string& naoUsado);  // codes 1 and 2 only
// `aliquota`: the printer's tax-rate code ("01", "FF"...); a quantity with
// decimals is cut to three; a discount above 0 is cut to two decimals.
bool VendaItem_Bematech(const std::string& codigo, const std::string& descricao, const std::string& aliquota,
                        double quantidade, double preco, double desconto);
// Restaurant model: an item sold to a table ("80|48") or cancelled
// ("80|49"), as the facade passes a restaurant sale. `mesa` and `garcom`
// are the front end's table and waiter; the product's code, description and
// tax-rate code are those of VendaItem_Bematech.
bool Registra_Item_Bematech(const std::string& mesa, const std::string& garcom, const std::string& codigo,
                            const std::string& descricao, const std::string& aliquota, double preco, double quantidade,
                            double desconto);
bool Cancela_Item_Bematech(const std::string& mesa, const std::string& garcom, const std::string& codigo,
                           const std::string& descricao, const std::string& aliquota, double preco, double quantidade,
                           double desconto);
bool Cancela_ItGenerico_Bematech(const std::string& item, bool avisa);  // item number
// `numero` receives the cancelled coupon's number (six characters), or is
// left alone when the printer's number cannot be read.
bool Cancela_Cupom_Bematech(bool avisa, bool repete, std::string& numero);
bool Acrescimo_Bematech(double valor);  // surcharge on the open coupon
// Command "10" with its two fields as given (the facade never sends it).
bool Totaliza_NFiscal_Bematech(const std::string& campo1, const std::string& campo2);
// A receipt not linked to a coupon: `totalizador` is a totalizer number, or
// "SU" (cash supply) or "SA" (withdrawal), which carry no payment method;
// `valor` comes formatted (14 digits, 2 implied decimals).
bool Cupom_NFiscNVinc_Bematech(const std::string& totalizador, const std::string& valor, const std::string& forma);
// Opens a voucher linked to the last coupon: payment method's name, amount
// (formatted), coupon number.
bool Abre_Comp_NFiscalVinc_Bematech(const std::string& forma, const std::string& valor, const std::string& cupom);
// One block of text (up to 620 characters) into the open voucher or report.
bool Usa_CompNFis_Bematech(const std::string& texto);
bool Numero_Cupom_Bematech();  // "30"; read the number with RetornoImpFiscal
bool Estado_Imp_Bematech(bool avisa, bool repete);
bool Estado_Gaveta_Bematech(bool avisa, bool repete);
bool Abre_Gaveta_Bematech();
// Closes the coupon: the start of the closing (a discount wins over a
// surcharge), every payment movement "E" of `movimentos` in the order taken,
// the footer, and the change voucher. Everything is worked out before the
// first byte goes out. After a command the printer reports refused, the
// printer is asked what became of it ("35" "17" for the coupon's state,
// "35" "32" for a payment, "30" for the change voucher): what it took is
// never sent twice and the closing goes on; what it did not take is sent
// again on the operator's Yes. Answers true when the printer took the
// footer, which closes the coupon (a change voucher it did not take is
// logged); false when an amount does not fit, a movement's payment type is
// missing from `tiposRecebimento`, a command was not taken and not sent
// again, or its fate could not be read (logged): the coupon is then still
// open, or its state unknown.
bool FechaCupom_Bematech(bool contraVale,                     // print the change voucher
                         bool avisa,                          // for every command of the closing
                         double desconto,                     // on the total
                         double valorContraVale,              // amount of the change voucher
                         double acrescimo,                    // on the total, when no discount
                         const std::string& permiteRepetir,   // "S" (with repeteSeRecusado): a
                         bool repeteSeRecusado,               //   refused command may be sent again
                                                              //   if the operator answers Yes
                         const std::string& naoUsado,         // accepted, not used
                         TClientDataSet& movimentos,          // the coupon's payment movements
                         TClientDataSet& tiposRecebimento,    // the payment types
                         std::string& numeroCupom,            // receives the coupon's number
                         const std::string& convenio,         // agreement text
                         const std::string& linhaConsumidor,  // not empty: print the consumer
                         const std::string& consumidor,       // the consumer's text
                         const std::string& cnpjCpf,          // the buyer's CNPJ or CPF
                         const std::string& nome);            // the buyer's name

// ---- Readings, reports and cash movements ----------------------------------
bool Leitura_X_Bematech(const std::string& naoUsado);
bool Reducao_Z_Bematech(const std::string& naoUsado);
// Fiscal-memory reading between two limits; the three fields go as given.
bool Memoria_Fiscal_Bematech(const std::string& de, const std::string& ate, const std::string& opcao);
bool RelGerencial_Bematech();
bool FechRelatGerenc_Bematech(bool avisa, bool repete);
bool Leitura_Totais_Bematech(bool avisa, bool repete);  // read the answer with RetornoImpFiscal
bool Suprimento_Bematech(double valor);                 // 0 is sent as 0.01
bool Sangria_Bematech(double valor);                    // 0 is sent as 0.01
// The fiscal day as the printer reports it, or today's date.
platform::TDateTime DataMov_Bematech();

// The till closing: the withdrawal receipt (two copies) in a voucher linked
// to a 0.01 receipt on the report totalizer, then the operator's questions.
// True when the operator keeps the till open; otherwise, when the Z is
// confirmed, the products and closing reports (by IDEMIRELPROD of `caixa`:
// "N" always, "S" when confirmed), the report closed and the Z sent.
bool GeraReciboSangria_Bematech(TClientDataSet& fechamento, TClientDataSet& sangrias, TClientDataSet& produtosVendidos,
                                TClientDataSet& operadorSupervisor, TClientDataSet& totaisSaida, TClientDataSet& caixa,
                                platform::TDateTime data);

// ---- Restaurant model (type code 9): tables kept open in the printer -------
// Each sends one command with `avisa` true and answers the channel's result;
// a percentage (P4), amount (V14, V8) or quantity (Q6) that does not fit
// its field is refused before anything is sent.
// Table check of `mesa`: with a percentage (above 0) or else an amount
// (above 0) added to it; neither: "0" and no amount.
bool Cupom_Conferencia_Bematech(const std::string& mesa, const std::string& ajuste, double percentual, double valor);
// Closes the table check; an amount of exactly 0 sends "0" and no amount.
bool Fecha_Conferencia_Bematech(const std::string& mesa, double valor);
bool Juncao_Mesa_Bematech(const std::string& mesa, const std::string& outraMesa);
bool AbreCupomRes_Bematech(const std::string& mesa, const std::string& complemento);
// Moves an item between tables: the percentage (P4), the price (V8), the
// quantity (Q6), the code made 14 characters, the description cut to 17.
bool Transfere_Item_Bematech(const std::string& mesa, const std::string& destino, const std::string& codigo,
                             const std::string& descricao, const std::string& campo8, const std::string& campo9,
                             double percentual, double preco, double quantidade);
bool Estorno_Bematech(const std::string& campo1, const std::string& campo2, double percentual);
bool Rel_MesaAber_Bematech(const std::string& campo1);  // open-tables report
bool ImprimeCardapio_Bematech();                        // the menu

// ---- Z-reduction export ----------------------------------------------------
// Asks the printer for the report of its last Z reduction ("69", written to
// "mp20fi.ret" in the current directory) and reads it into the reduction's
// record, its payment methods (those of `tiposRecebimento` by CDFPIMPFIS),
// its tax rates (taxed "T", then service "S") and its non-fiscal
// totalizers (supply "SU" and withdrawal "SA" among them). Every record
// carries ECF and the date of the movement. A report left by an earlier Z
// is removed before "69", so it is never taken for this one. True only for
// a whole report read; false, with the reason logged, when the old report
// cannot be removed, "69" is refused or writes no file (the datasets are
// then untouched), or a section is missing or a figure cannot be read (a
// missing section is left empty, an unreadable figure ends the reading, and
// the caller keeps what was read). A taxed-rate row that cannot be read is
// skipped, logged.
bool ExportRedZ_Bematech(TClientDataSet& tiposRecebimento, TClientDataSet& reducaoZ, TClientDataSet& formasPagamento,
                         TClientDataSet& impostos, TClientDataSet& totaisNaoFiscais);

}  // namespace Qdm00100

PKG_QDM_PUBLIC_END
