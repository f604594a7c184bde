// The coupon cycle: opening, items, cancellations, surcharge, non-fiscal
// receipts and the small status questions.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver.h"
#include "drivers/common/driver_services.h"
#include "utility/utility.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

namespace {

constexpr int kCodeWidth = 13;
constexpr int kDescriptionWidth = 29;
constexpr int kTableWidth = 4;
constexpr int kTableCodeWidth = 14;
constexpr int kTableDescriptionWidth = 17;
constexpr int kCouponNumberWidth = 6;

// A quantity with decimals goes with three of them, cut; a whole one as
// four digits.
std::optional<std::string> QuantityField(double quantidade) {
  if (platform::Frac(quantidade) != 0) return AmountField(Format::Q7, util::Trunc3(quantidade));
  return AmountField(Format::Q4, quantidade);
}

// The restaurant model's item, sold ("80|48") or cancelled ("80|49").
bool RestaurantItem(const std::string& comando, bool cancelamento, const std::string& mesa, const std::string& garcom,
                    const std::string& codigo, const std::string& descricao, const std::string& aliquota, double preco,
                    double quantidade, double desconto) {
  const std::optional<std::string> unitario = AmountField(Format::V8, preco);
  if (!unitario) return false;
  const std::optional<std::string> valor = AmountField(Format::V8, desconto);
  if (!valor) return false;
  const std::optional<std::string> qtd = AmountField(Format::Q6, quantidade);
  if (!qtd) return false;
  return EnviaComando_Bematech(
      comando,
      {cancelamento ? util::Ajusta(mesa, kTableWidth) : mesa, *unitario, garcom, *valor, *qtd,
       cancelamento ? util::Ajusta(codigo, kTableCodeWidth) : util::AjustaZero(codigo, kTableCodeWidth),
       platform::Copy(descricao, 1, kTableDescriptionWidth), aliquota},
      true, false);
}

}  // namespace

bool AbreCupom_Bematech(const std::string& /*naoUsado*/) {
  // The restaurant model opens its coupons by table.
  const Model* model = ModelOf(Qdm00000::IdTipoImpFis);
  if (model == nullptr || !model->opens_coupon) return false;
  return EnviaComando_Bematech("00", {}, true, false);
}

bool VendaItem_Bematech(const std::string& codigo, const std::string& descricao, const std::string& aliquota,
                        double quantidade, double preco, double desconto) {
  const std::optional<std::string> qtd = QuantityField(quantidade);
  if (!qtd) return false;
  const std::optional<std::string> unitario = AmountField(Format::V8, preco);
  if (!unitario) return false;
  std::optional<std::string> desc = std::string("0000");
  if (desconto > 0) desc = AmountField(Format::V8, util::Trunc2(desconto));
  if (!desc) return false;
  return EnviaComando_Bematech("09",
                               {util::AjustaZero(codigo, kCodeWidth), platform::Copy(descricao, 1, kDescriptionWidth),
                                aliquota, *qtd, *unitario, *desc},
                               true, false);
}

bool Registra_Item_Bematech(const std::string& mesa, const std::string& garcom, const std::string& codigo,
                            const std::string& descricao, const std::string& aliquota, double preco, double quantidade,
                            double desconto) {
  return RestaurantItem("80|48", false, mesa, garcom, codigo, descricao, aliquota, preco, quantidade, desconto);
}

bool Cancela_Item_Bematech(const std::string& mesa, const std::string& garcom, const std::string& codigo,
                           const std::string& descricao, const std::string& aliquota, double preco, double quantidade,
                           double desconto) {
  return RestaurantItem("80|49", true, mesa, garcom, codigo, descricao, aliquota, preco, quantidade, desconto);
}

bool Cancela_ItGenerico_Bematech(const std::string& item, bool avisa) {
  return EnviaComando_Bematech("31", {item}, avisa, false);
}

bool Cancela_Cupom_Bematech(bool avisa, bool repete, std::string& numero) {
  const bool cancelado = EnviaComando_Bematech("14", {}, avisa, repete);
  // The cancelled coupon is the one before the printer's current number;
  // with no number read, numero is left alone rather than guessed.
  if (Numero_Cupom_Bematech()) {
    const int atual = platform::StrToInt(RetornoImpFiscal_Bematech("30", true));
    numero = util::Ajusta(platform::IntToStr(atual - 1), kCouponNumberWidth);
  }
  return cancelado;
}

bool Acrescimo_Bematech(double valor) {
  const std::optional<std::string> campo = AmountField(Format::V10, valor);
  if (!campo) return false;
  return EnviaComando_Bematech("62|50", {*campo}, true, false);
}

bool Totaliza_NFiscal_Bematech(const std::string& campo1, const std::string& campo2) {
  return EnviaComando_Bematech("10", {campo1, campo2}, true, false);
}

bool Cupom_NFiscNVinc_Bematech(const std::string& totalizador, const std::string& valor, const std::string& forma) {
  // Supply and withdrawal carry no payment method.
  if (totalizador == "SU" || totalizador == "SA") {
    return EnviaComando_Bematech("25", {totalizador, valor}, true, false);
  }
  return EnviaComando_Bematech("25", {totalizador, valor, forma}, true, false);
}

bool Abre_Comp_NFiscalVinc_Bematech(const std::string& forma, const std::string& valor, const std::string& cupom) {
  return EnviaComando_Bematech("66", {forma, valor, cupom}, false, false);
}

bool Usa_CompNFis_Bematech(const std::string& texto) { return EnviaComando_Bematech("67", {texto}, false, false); }

bool Numero_Cupom_Bematech() { return EnviaComando_Bematech("30", {}, true, false); }

bool Estado_Imp_Bematech(bool avisa, bool repete) { return EnviaComando_Bematech("19", {}, avisa, repete); }

bool Estado_Gaveta_Bematech(bool avisa, bool repete) { return EnviaComando_Bematech("23", {}, avisa, repete); }

bool Abre_Gaveta_Bematech() { return EnviaComando_Bematech("22|255", {}, true, false); }

}  // namespace Qdm00100
