// Module Qdm00300: the Daruma driver (printer type codes 7 and 8, two
// models), reached through the maker's library "fs345_32.dll".
//
// Results: every operation answers true when the printer took the command:
// its answer was read twice alike and is not an error ("?E" and two digits;
// 21, 40, 43 and 61 are warnings on a command carried out). It answers
// false, and sends nothing more, when the printer refuses, when its answer
// never settles or comes back empty, when the library refuses the frame
// (each logged), when the driver is not bound (before a start, after a
// stop: logged "ERRO!!! DLL nao carregada: <entry>"), and when an amount or
// quantity does not fit its field (logged and shown). A refusal never
// raises; nothing is shown to the operator for a refused command.
//
// Flag pairs (avisa, repete) are accepted for the facade's sake and have no
// effect on these printers.
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

// Letters of the printer's totalizers and payment methods (tables.cpp);
// "" when the printer has none.
extern std::string IdTotParcCV;    // change voucher (credit note)
extern std::string IdTotRelatGer;  // management report
extern std::string IdTotCompCred;  // credit purchase
extern std::string IdTotTef;       // card payments
// The payment type of kind "9" (own card) and "A" (consumer sale): its code
// in the payment-type file, its method letter and its name.
extern std::string CdFormPagCPess;
extern std::string IdFormPagCPess;
extern std::string DsFormPagCPess;
extern std::string IdFormPagVCons;
extern std::string CdFormPagVCons;
extern std::string DsFormPagVCons;
extern std::string IdTotParcVCons;  // consumer sale
extern std::string IdTotParcSang;   // withdrawal
extern std::string IdTotParcSup;    // cash supply
extern std::string IdImpVendCon;    // set by the host: "S" programs the consumer-sale totalizer

// ---- Library binding, port and command channel ---------------------------
// Starts the driver for the facade's IdTipoImpFis (taken into inTipoImpFis;
// `tipo` is accepted and not used). False only when "fs345_32.dll" cannot
// be loaded (logged, and the file named to the operator). A library
// without one of the five entry points is left unbound and the facade's
// printer stopped; a port that does not open is closed again and the
// driver left unbound.
bool StartImpFis_Daruma(const std::string& tipo, const std::string& porta);
// Opens the data module's IdPortaImpFis (0 taken as COM1) at 9600 bauds,
// asks the printer's status and closes a document an earlier run left open
// (a coupon cancelled, a report closed). `tipo` is the model (7 or 8);
// `porta` names the port in the log. False when the port does not open
// (logged, the operator told) or the status is refused or shows an error.
bool AbrePorta_Daruma(int tipo, const std::string& porta);
// Releases the serial port the library holds (the driver's stop calls it).
// True when the library closed it.
bool FechaPorta_Daruma();
// Closes the ports (the facade's and the library's) and forgets the five
// entry points; the library stays loaded.
void StopImpFiscal_Daruma();
// Reads the printer number, the fiscal day, the printer clock and the
// serial into the facade's globals (which questions, and where the answers
// carry them, is the model's); a refused reading leaves its global empty.
// Always true: the facade's checks judge what was read.
bool IniciaImp_Daruma();
// The command channel: `comando` is the command byte (as one character,
// as type 7 names it) and `parametros` are joined with nothing between
// them; the answer lands in DarumaRet.
bool EnviaComando_Daruma(const std::string& comando, const std::vector<std::string>& parametros, bool avisa,
                         bool repete);
// Whether the last answer is not an error; the three flags are accepted
// for the facade's sake and have no effect.
bool ImpressoraOK(bool avisa, bool cancelaAberto, bool avisaPapel);
// `resposta` receives the last answer; for the status byte (0xFF) the
// drawer flag read from it instead ("000" or "001", "" when unreadable).
// `apara` is accepted and has no effect. RetornoImpFiscal_Daruma also logs
// the answer.
void Retorno_Daruma(const std::string& comando, bool apara, std::string& resposta);
void RetornoImpFiscal_Daruma(const std::string& comando, bool apara, std::string& resposta);
// The number of the coupon the last AbreCupom_Daruma opened ("" when its
// answer carried none).
std::string NumeroCupom();

// ---- Tables ----------------------------------------------------------------
// Type 7: finds the supply, withdrawal, consumer-sale, change-voucher,
// report, TEF and credit totalizers (the IdTot* letters) and programs those
// missing; type 8: finds the change-voucher totalizer only.
void CarregaTot_Daruma();
// Type 7: gives every payment type of `recebimentos` (opened when closed)
// its method letter on the printer (CDFPIMPFIS) and whether it may issue a
// credit note (IDEMIVALE), programming the methods the printer lacks; type
// 8: keeps only the names of the kinds "9" and "A" and closes the dataset.
void CarregaRec_Daruma(TClientDataSet& recebimentos);
// Fills the data module's cdsAliqImpFis with the printer's rates (letter,
// rate; "T" for the letters A to Q, "S" otherwise) and the untaxed classes
// "N", "I", "F"; only the untaxed classes when the printer refuses.
void CarregaAliq_Daruma();
// The first letter from `inicio` (a character code, 'A' to 'Q') that no
// payment type of DsDirCad's "tiporece.cds" uses; `inicio` when all are
// used. Raises when the file cannot be opened (a missing file is logged).
int ProximaLetra(int inicio);

// ---- Operations ------------------------------------------------------------
// Opens a coupon; its number, from the opening's own answer, is then
// NumeroCupom() (stNrCupom).
bool AbreCupom_Daruma();
// An item sale: `aliquota` the printer's rate letter, `codigo` up to 13
// characters (a longer code is refused, logged and shown: it would be sold
// under another number), `descricao` cut to 30; the quantity whole (five
// digits) or with two decimals, the unit price with two, the discount as a
// percentage of the unit price (type 7) or as the amount (type 8). Nothing
// is sent when a number does not fit its field.
bool VendaItem_Daruma(const std::string& codigo, const std::string& descricao, const std::string& aliquota,
                      double quantidade, double preco, double desconto);
bool Cancela_ItGenerico_Daruma(const std::string& item, bool avisa);  // item number
// Cancels the coupon; `resposta` receives the printer's answer.
bool Cancela_Cupom_Daruma(bool avisa, bool repete, std::string& resposta);
// Closes the open coupon, paying `valorPago`. `tipo` is the model: type 7
// totals it with the discount `desconto` and pays under the letter "P";
// type 8 closes it in one command with the discount `desconto` +
// `descontoExtra` (`descontoExtra` is not used on type 7). `cnpjCpf` and
// `nome`: the buyer, in the footer (type 7). `flag` is accepted and has no
// effect. True when the printer closed the coupon (it is asked when the
// closing's answer was lost); false when an amount does not fit its field.
// Any other type code sends nothing and answers true.
bool FechaCupom_Daruma(int tipo, bool flag, const std::string& cnpjCpf, double desconto, double descontoExtra,
                       double valorPago, const std::string& nome);
// The facade's coupon closing: the discount, each entry ("E") of the
// payment movements in the order taken (DTHRINCMOV) under its payment
// type's printer letter (CDFPIMPFIS of recebimentos), and the customer's
// CNPJ/CPF and name in the footer (type 8: one command with the sum paid).
// numeroCupom receives the coupon's number. Refused before anything is sent
// (logged, the operator told): a surcharge, a change voucher, a payment type
// without a letter, an amount that does not fit.
bool FechaCupomFormasPg_Daruma(double desconto, double acrescimo, bool contraVale, TClientDataSet& movimentos,
                               TClientDataSet& recebimentos, std::string& numeroCupom, const std::string& cnpjCpf,
                               const std::string& nome);
// The fields of these commands go as given, joined.
bool Totaliza_NFiscal_Daruma(const std::string& totalizador, const std::string& valor);  // 0xF1
// A receipt not linked to a coupon (0xD9).
bool Cupom_NFiscNVinc_Daruma(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                             const std::string& campo4);
// Programs a totalizer (0xE2).
bool Nomeia_TotParcial_Daruma(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                              const std::string& campo4, bool avisa, bool repete);
// Programs a payment method (0xDA): "PGV", its letter and its 16-character name.
bool Config_FormaPg_Daruma(const std::string& forma, bool avisa, bool repete);
bool RelGerencial_Daruma();  // opens the management report
// One line of free text in the open management report (card vouchers); a
// control byte goes as a blank, an empty line as one blank.
bool ImprimeTexto_Daruma(const std::string& texto);
bool FechRelatGerenc_Daruma(bool avisa, bool repete);  // closes the report
// Fiscal-memory reading (0xD1) with its three fields as given.
bool MemoFiscal_Daruma(const std::string& campo1, const std::string& de, const std::string& ate);
bool Leitura_X_Daruma(const std::string& texto);  // `texto` is not used
// The Z reduction, dated today (DDMMYY) on the library clock; `texto` is
// not used.
bool Reducao_Z_Daruma(const std::string& texto);
bool Leitura_Totais_Daruma(bool avisa, bool repete);  // read the answer in DarumaRet
bool RetornoAliq_Daruma();                            // read the answer in DarumaRet
// The status request; read the drawer with Retorno_Daruma of the status byte.
bool Estado_Gaveta_Daruma(bool avisa, bool repete);
bool Estado_Imp_Daruma(bool avisa, bool repete);
// A non-fiscal receipt of `valor` on the supply totalizer (IdTotParcSup).
// False, nothing sent, when the amount is not above 0 or does not fit its
// field (logged and shown) or the printer has no supply totalizer (logged,
// the operator told).
bool Suprimento_Daruma(double valor);

}  // namespace Qdm00300

PKG_QDM_PUBLIC_END
