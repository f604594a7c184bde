// The fiscal operations: coupon opening and items, cancellations,
// non-fiscal documents, readings and reports, drawer and printer status,
// cash supply. The closing is in closing.cpp.
#include "drivers/daruma/Qdm00300.h"
#include "drivers/daruma/driver.h"
#include "platform/base/sysutils.h"
#include "platform/text/datetime.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00300 {

using namespace detail;

namespace {

constexpr int kCodeWidth = 13;
constexpr int kDescriptionWidth = 30;
constexpr int kPriceWidth = 9;
constexpr int kCouponNumberWidth = 6;
const char* const kCodigoForaDoCampo = "C\363digo do item maior que o campo da impressora fiscal.";

bool Send(unsigned char command, const std::vector<std::string>& parametros = {}) {
  return EnviaComando_Daruma(Byte(command), parametros, false, false);
}

// Seven characters. A whole quantity is five digits and two blanks (3 goes
// as "00003  "). A quantity with a fraction keeps its decimal comma ("001,50 "
// for 1.5): without it 1.5 and 150 would both read "00150" on the printer.
std::optional<std::string> QuantityField(double quantidade) {
  if (platform::Frac(quantidade) == 0) {
    const std::optional<std::string> digits = AmountField(Format::WholeQuantity, quantidade);
    if (!digits) return std::nullopt;
    return *digits + "  ";
  }
  const std::optional<std::string> digits = AmountField(Format::FractionQuantity, quantidade);
  if (!digits) return std::nullopt;
  return digits->substr(0, 3) + "," + digits->substr(3) + " ";
}

// Eight characters: four zeros, then the discount in four digits, as a
// percentage of the unit price (type 7) or as the amount (type 8).
std::optional<std::string> DiscountField(double desconto, double preco) {
  if (!(desconto > 0)) return std::string("00000000");
  double valor = util::Trunc2(desconto);
  if (CurrentModel().discount_as_percentage) {
    if (!(preco > 0)) {
      // A discount on a free item has no percentage.
      drivers::ReportMisfit(FormatOf(Format::Percentage).name, desconto);
      return std::nullopt;
    }
    valor = util::Trunc2(desconto * 100 / preco);
  }
  const std::optional<std::string> digits = AmountField(Format::Percentage, valor);
  if (!digits) return std::nullopt;
  return "0000" + *digits;
}

// Voucher text goes as it is, but a control byte would be taken for a
// command (type 8 sends text without a command byte): it becomes a blank.
// An empty line goes as one blank: type 8 would otherwise send nothing at all.
std::string PrintableText(const std::string& texto) {
  std::string clean = texto.empty() ? std::string(" ") : texto;
  for (char& c : clean)
    if (c == '\x1B' || c == '\x1D' || c == '\x05' || c == '\0') c = ' ';
  return clean;
}

}  // namespace

bool AbreCupom_Daruma() {
  const bool aberto = Send(kAbreCupom);
  // The number is taken only from the opening's own answer, and not from
  // a warning's code in its place.
  const bool warning = DarumaRet.size() > 1 && DarumaRet[1] == 'E';
  stNrCupom = aberto && !warning ? platform::Copy(DarumaRet, 3, kCouponNumberWidth) : std::string();
  return aberto;
}

bool VendaItem_Daruma(const std::string& codigo, const std::string& descricao, const std::string& aliquota,
                      double quantidade, double preco, double desconto) {
  // A code longer than its field would lose characters: a bar code sold
  // under another number.
  if (static_cast<int>(codigo.size()) > kCodeWidth) {
    Log("ERRO!!! Codigo do item maior que " + platform::IntToStr(kCodeWidth) + " caracteres: " + codigo);
    ShowError(kCodigoForaDoCampo);
    return false;
  }
  const std::optional<std::string> desc = DiscountField(desconto, preco);
  if (!desc) return false;
  const std::optional<std::string> unitario = AmountField(Format::Price, preco);
  if (!unitario) return false;
  const std::optional<std::string> qtd = QuantityField(quantidade);
  if (!qtd) return false;
  return Send(kVendaItem,
              {aliquota, util::AjustaZero(codigo, kCodeWidth), *desc, util::AjustaZero(*unitario, kPriceWidth), *qtd,
               util::TamFixo(descricao, kDescriptionWidth)});
}

bool Cancela_ItGenerico_Daruma(const std::string& item, bool /*avisa*/) { return Send(kCancelaItem, {item}); }

bool Cancela_Cupom_Daruma(bool /*avisa*/, bool /*repete*/, std::string& resposta) {
  const bool cancelado = Send(kCancelaCupom);
  RetornoImpFiscal_Daruma(std::string(), true, resposta);
  return cancelado;
}

bool Totaliza_NFiscal_Daruma(const std::string& totalizador, const std::string& valor) {
  return Send(kTotaliza, {totalizador, valor});
}

bool Cupom_NFiscNVinc_Daruma(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                             const std::string& campo4) {
  return Send(kNaoFiscal, {campo1, campo2, campo3, campo4});
}

bool Nomeia_TotParcial_Daruma(const std::string& campo1, const std::string& campo2, const std::string& campo3,
                              const std::string& campo4, bool /*avisa*/, bool /*repete*/) {
  return Send(kTotalizador, {campo1, campo2, campo3, campo4});
}

bool Config_FormaPg_Daruma(const std::string& forma, bool /*avisa*/, bool /*repete*/) {
  return Send(kFormaPagamento, {forma});
}

bool RelGerencial_Daruma() { return Send(kRelatorioGerencial, {" "}); }

bool ImprimeTexto_Daruma(const std::string& texto) { return Send(kTextoLivre, {PrintableText(texto)}); }

bool FechRelatGerenc_Daruma(bool /*avisa*/, bool /*repete*/) { return Send(kFechaRelatorio); }

bool MemoFiscal_Daruma(const std::string& campo1, const std::string& de, const std::string& ate) {
  return Send(kMemoriaFiscal, {campo1, de, ate});
}

bool Leitura_X_Daruma(const std::string& /*texto*/) { return Send(kLeituraX); }

bool Reducao_Z_Daruma(const std::string& /*texto*/) {
  return Send(kReducaoZ, {platform::FormatDateTime("ddmmyy", platform::Date()) + "000000"});
}

bool Leitura_Totais_Daruma(bool /*avisa*/, bool /*repete*/) { return Send(kLeituraTotais); }

bool RetornoAliq_Daruma() { return Send(kAliquotas); }

bool Estado_Gaveta_Daruma(bool /*avisa*/, bool /*repete*/) { return Send(kEstado); }

bool Estado_Imp_Daruma(bool /*avisa*/, bool /*repete*/) { return Send(kEstado); }

bool Suprimento_Daruma(double valor) {
  // The supply is registered as a non-fiscal receipt on the supply
  // totalizer; without that totalizer nothing could record it.
  // No supply of nothing: a zero or negative amount is reported as a misfit.
  if (!(valor > 0)) {
    drivers::ReportMisfit(FormatOf(Format::Amount14).name, valor);
    return false;
  }
  const std::optional<std::string> campo = AmountField(Format::Amount14, valor);
  if (!campo) return false;
  if (IdTotParcSup.empty()) {
    Log("ERRO!!! Totalizador de suprimento nao encontrado na impressora");
    ShowError(CatalogueText("ComandoNExec"));
    return false;
  }
  return Send(kNaoFiscal, {IdTotParcSup, *campo});
}

}  // namespace Qdm00300
