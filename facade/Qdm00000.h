// Module Qdm00000: the printer-independent facade. The front end calls these
// functions; each looks at the printer type code IdTipoImpFis and hands the
// call to the driver that serves it.
#pragma once
#include <array>
#include <string>

#include "drivers/common/driver_services.h"
#include "drivers/common/type_codes.h"
#include "data_module/dtmCupomFiscal.h"
#include "platform/base/clock.h"
#include "platform/dataset/dataset.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00000 {

using platform::TClientDataSet;
using platform::TDateTime;

// ---- Exported globals --------------------------------------------------
// The globals every module shares (type code, identity, dates, port
// tables), the data module and the debug log are declared in
// drivers/common/driver_services.h; the type-code sets (IsBematech,
// IsSweda, IsDaruma) in drivers/common/type_codes.h.

// ---- Printer selection and start-up -------------------------------------
// Loads the driver of printer type `tipo` (the type code as decimal text)
// and opens `porta` ("COM1"...). Raises platform::EConvertError when tipo
// is not a number. The ready flag stays false for Bematech until the front
// end calls SetImpFiscalOK(true).
bool StartImpFiscal(const std::string& tipo, const std::string& porta);
// The start-up sequence: identity and clock (a clock more than 15 minutes
// off refuses), payment methods into `recebimentos` (the front end's
// payment types), totalizers, tax rates copied into `aliquotas`; offers the
// Z reduction of a past fiscal day, and the X reading when `semLeituraX` is
// empty. `sistema` is kept in stSistema. Never raises: false instead.
bool IniciaImpressora(const std::string& sistema, const std::string& semLeituraX, TClientDataSet& recebimentos,
                      TClientDataSet& aliquotas);
// Closes the port and unbinds the driver; never raises.
void StopImpFiscal();
bool AbrePorta(const std::string& porta);
bool FechaPorta();
bool ImpFiscalOK();
void SetImpFiscalOK(bool valor);
void CarregaTotalizador();
void CarregaAliquota();
void CarregaRecebimento(TClientDataSet& recebimentos);

// ---- Configuration file --------------------------------------------------
// Reads "ecf" + caixa + ".cds" beside the host executable; false (never an
// exception) when the register must not operate.
bool CarregaECF(const std::string& caixa);
// The checksum a configuration tool writes for a printer number and serial.
int ChecksumECF(const std::string& nrEcfCaixa, const std::string& nrSerieEcf);

// ---- Checks and log ------------------------------------------------------
// Checks the printer's clock text `texto` (DDMMYYhhnn...) against the
// system clock; also sets dtDate.
bool VerificaData(const std::string& texto);
// fim - inicio in hours and minutes, signed.
std::string SubtDataHora(TDateTime inicio, TDateTime fim);
// The printer's tax-rate code for the current product of cdsProduto;
// `texto` is not used.
std::string Verifica_Aliquota(const std::string& texto);
void ImpFisDebug(const std::string& mensagem);
std::string AjustaZero(const std::string& texto, int largura);
TDateTime DataMoviFiscal();
bool RecebVenda();  // always false
// Full path of the debug log ("impdebug.txt" beside the host executable).
std::string DebugLogPath();

// ---- Operations routed by type code --------------------------------------
// Each answers the driver's result: false when the printer refused (shown
// to the operator where `avisa` asks for it, or always where there is no
// such flag) and false, without printer traffic, on a type code no driver
// serves for that operation. Errors raise (see package/Pkg_Qdm.h) unless
// said otherwise below.
//
// The flag pairs (avisa, repete) go to the driver's command channel:
// avisa shows a refused command to the operator; repete sends a command
// the printer answers as busy again (Sweda; no effect on Bematech).

// Opens a fiscal coupon and sets NrCupom ("0000" when none is read).
// `texto` is not sent to a Bematech printer. Code 9 opens with the first
// item and answers true at once.
bool AbreCupom(const std::string& texto);
// Sells an item. codigo: product code (13 digits, zero-padded); descricao
// (cut to 29); aliquota: the printer's tax-rate code (Verifica_Aliquota);
// quantidade (3 decimals, cut); preco: unit price; desconto: amount off the
// item (0 for none).
// mesa, complemento: restaurant model (code 9) only, the first and third
// fields of its table item; their content is the front end's.
bool VendaItem(const std::string& mesa, const std::string& complemento, const std::string& codigo,
               const std::string& descricao, const std::string& aliquota, double quantidade, double preco,
               double desconto);
// Closes the coupon: start of the closing (discount, else surcharge), one
// payment per movement, the footer, the change voucher. Answers false only
// when an error interrupts it (never raises); a command the printer
// refused and the operator chose not to repeat still answers true.
//   imprimeContraVale   print the change voucher ("CONTRA-VALE") afterwards
//   avisa               show refused commands to the operator
//   desconto            discount on the total (wins over the surcharge)
//   valorContraVale     amount of the change voucher
//   acrescimo           surcharge on the total
//   permiteRepetir      "S" and repeteSeRecusado true: ask "print again?"
//   repeteSeRecusado      when a command is refused
//   naoUsado            accepted, not used
//   movimentos          the coupon's movements: IDTIPOMOVIVE ("E" = payment),
//                       CDTIPORECE, VRMOVIVEND, DTHRINCMOV, NRORDTROCO
//   recebimentos        the payment types: CDTIPORECE, IDTIPORECE ("8" =
//                       agreement), CDFPIMPFIS (the printer's method number)
//   numeroCupom         receives the coupon's number
//   convenio            agreement ("conv\xEAnio") text of the footer
//   comConsumidor       not empty: print the consumer line under it
//   consumidor          the consumer text of that line
//   cnpjCpf             the buyer's CNPJ or CPF ("" for none)
//   nome                the buyer's name
// Daruma codes: FechaCupomFormasPg_Daruma (discount, payments under their
// letters, CNPJ/CPF and name; false unless the printer closed the coupon).
bool FechaCupom(bool imprimeContraVale, bool avisa, double desconto, double valorContraVale, double acrescimo,
                const std::string& permiteRepetir, bool repeteSeRecusado, const std::string& naoUsado,
                TClientDataSet& movimentos, TClientDataSet& recebimentos, std::string& numeroCupom,
                const std::string& convenio, const std::string& comConsumidor, const std::string& consumidor,
                const std::string& cnpjCpf, const std::string& nome);
// Cancels the coupon; `numero` receives the cancelled coupon's number.
// Raises platform::EConvertError when the printer's coupon number is not a
// number (numero is then left as it was).
bool Cancela_Cupom(bool avisa, bool repete, std::string& numero);
// Cancels a sold item by its number on the coupon (codes 1, 2).
bool Cancela_Item_Generico(const std::string& item, bool avisa);
// Surcharge amount on the coupon (codes 1, 2).
bool Acrescimo(double valor);
// A non-fiscal total (Sweda, Daruma); both texts are sent as given.
bool Totaliza_NFiscal(const std::string& totalizador, const std::string& valor);
// A non-fiscal receipt not linked to a coupon. totalizador: the non-fiscal
// totalizer's number, or "SU" cash supply, "SA" cash withdrawal; valor: the
// amount already written as 14 digits with 2 implied decimals;
// formaPagamento: the payment method's name (not sent with "SU", "SA");
// texto4: Sweda and Daruma only, sent as given.
bool Cupom_NFiscal_NVinculado(const std::string& totalizador, const std::string& valor,
                              const std::string& formaPagamento, const std::string& texto4);
// Opens a non-fiscal voucher linked to the coupon `numeroCupom`, for the
// payment method `formaPagamento` and the amount `valor` (14 digits).
// Refusals are not shown to the operator.
bool Abre_Comp_NFiscalVinc(const std::string& formaPagamento, const std::string& valor, const std::string& numeroCupom);
// Names the non-fiscal totalizer `numero` (two digits) `nome`; texto3 and
// texto4 are sent after them as given.
bool Nomeia_TotParcial(const std::string& numero, const std::string& nome, const std::string& texto3,
                       const std::string& texto4, bool avisa, bool repete);
// Programs the payment method named `forma`; the printer answers its
// number, read with RetornoImpFiscal.
bool Config_Forma_Pagamento(const std::string& forma, bool avisa, bool repete);
// The X reading and the Z reduction (the Z closes the fiscal day). `texto`
// is not sent to a Bematech printer.
bool Leitura_X(const std::string& texto);
bool Reducao_Z(const std::string& texto);
// Fiscal-memory reading from `de` to `ate`. opcaoBematech: Bematech only,
// the third field of its reading, sent as given. tipo: Sweda only, "D"
// between two dates, "R" between two Z-reduction numbers, else false.
bool Memoria_Fiscal(const std::string& de, const std::string& ate, const std::string& opcaoBematech,
                    const std::string& tipo);
bool Relatorio_Gerencial();
bool FechRelatGerenc(bool avisa, bool repete);
// Asks for the tax-rate table, the totals, the printer state, the drawer
// state; the answer is then read with RetornoImpFiscal.
bool Retorno_Aliquotas();
bool Leitura_Totais(bool avisa, bool repete);
bool Estado_Impressora(bool avisa, bool repete);
bool Estado_Gaveta(bool avisa, bool repete);  // not code 9
bool Abre_Gaveta();                           // code 9 only
// Number of the current coupon; empty when it cannot be read.
std::string Nr_Cupom();
// The printer's answer to the last command, decoded for `comando`, always
// trimmed: `aparaIgnorado` is not used.
std::string RetornoImpFiscal(const std::string& comando, bool aparaIgnorado);
// Cash withdrawal (Bematech) and supply; 0 moves 0.01. On a refusal they
// show "ErroComando" themselves and answer false.
bool Sangria(double valor);
bool Suprimento(double valor);
// Till closing (Bematech): withdrawal receipt, then the questions "open
// the till?" and "Z reduction?" with the products and closing reports.
// True when the operator keeps the till open.
//   fechamento          NMTIPORECE, VRFECHAINF: amount per payment type
//   sangrias            the withdrawals (copied only)
//   produtosVendidos    CDPRODUTO, NMPRODUTO, QTPRODVEND, VRTOTAL
//   operadorSupervisor  CDSUPERVISOR, NMSUPERVISOR, CDOPERADOR, NMOPERADOR
//   totaisSaida         NMTIPORECE, VRSAIDA, IDTIPOREG ("2" voucher, "3" supply)
//   caixa               IDEMIRELPROD: products report "N" always, "S" ask
//   data                not used
bool GeraReciboSangria(TClientDataSet& fechamento, TClientDataSet& sangrias, TClientDataSet& produtosVendidos,
                       TClientDataSet& operadorSupervisor, TClientDataSet& totaisSaida, TClientDataSet& caixa,
                       TDateTime data);
// Exports the last Z reduction (Bematech) from the payment types
// `tiposRecebimento` into the four result datasets.
bool ExportRedZ(TClientDataSet& tiposRecebimento, TClientDataSet& reducaoZ, TClientDataSet& formasPagamento,
                TClientDataSet& impostos, TClientDataSet& totalizadoresNaoFiscais);
// Ends check printing (Sweda type 4 only).
bool Fecha_Imp_Chq(bool avisa, bool repete);

// Restaurant model (code 9) only; every other code answers false. The
// texts are sent as given in the fields named; their content (table,
// waiter, ...) is the front end's.
// Cancels an item of a table: the same fields as VendaItem, but the unit
// price comes before the quantity here.
bool Cancela_Item(const std::string& mesa, const std::string& complemento, const std::string& codigo,
                  const std::string& descricao, const std::string& aliquota, double preco, double quantidade,
                  double desconto);
// The table check; with percentual > 0 a percentage (0 to 99.99), else with
// valor > 0 an amount, else neither and "0" replaces `ajuste`.
bool Cupom_Conferencia(const std::string& mesa, const std::string& ajuste, double percentual, double valor);
// Closes the table check; valor 0 sends "0" in place of the table.
bool Fecha_Conferencia(const std::string& mesa, double valor);
bool Juncao_Mesa(const std::string& mesa, const std::string& outraMesa);
bool AbreCupomRes(const std::string& mesa, const std::string& complemento);
// Moves an item between tables: mesa, the percentage (0 to 99.99), campo3,
// the unit price, the quantity, codigo (14), descricao (17), campo8, campo9.
bool Transfere_Item(const std::string& mesa, const std::string& campo3, const std::string& codigo,
                    const std::string& descricao, const std::string& campo8, const std::string& campo9,
                    double percentual, double preco, double quantidade);
// Reversal: two texts and a percentage (0 to 99.99).
bool Estorno(const std::string& campo1, const std::string& campo2, double percentual);
bool Rel_MesaAber(const std::string& campo1);  // open-tables report
bool ImprimeCardapio();                        // the menu

// Puts one piece of free text (card voucher lines) into the open
// non-fiscal report or voucher; answers whether the printer took it.
// Bematech: the text block command; other makers arrive with their drivers.
bool ImprimeTextoNaoFiscal(const std::string& texto);

}  // namespace Qdm00000

PKG_QDM_PUBLIC_END
