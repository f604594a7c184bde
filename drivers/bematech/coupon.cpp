// The coupon cycle: opening, items, cancellations, surcharge, non-fiscal
// receipts and the small status questions.
#include "drivers/bematech/Qdm00100.h"
#include "drivers/bematech/driver_support.h"
#include "facade/Qdm00000.h"
#include "utility/utility.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"

namespace Qdm00100 {

using namespace detail;

namespace {

constexpr int kCodeWidth = 13;
constexpr int kDescriptionWidth = 29;
constexpr int kTableWidth = 4;
constexpr int kWaiterWidth = 14;
constexpr int kTableItemWidth = 17;
constexpr int kCouponNumberWidth = 6;

// A quantity with decimals goes with three of them, cut; a whole one as
// four digits.
std::optional<std::string> QuantityField(double quantidade) {
  if (platform::Frac(quantidade) != 0) return AmountField(Formato::Q7, util::Trunc3(quantidade));
  return AmountField(Formato::Q4, quantidade);
}

// The restaurant model's item, sold ("80|48") or cancelled ("80|49").
bool RestaurantItem(const std::string& comando, bool cancelamento, const std::string& s1,
                    const std::string& s2, const std::string& s3, const std::string& s4,
                    const std::string& s5, double d1, double d2, double d3) {
  const std::optional<std::string> preco = AmountField(Formato::V8, d1);
  if (!preco) return false;
  const std::optional<std::string> valor = AmountField(Formato::V8, d3);
  if (!valor) return false;
  const std::optional<std::string> quantidade = AmountField(Formato::Q6, d2);
  if (!quantidade) return false;
  return EnviaComando_Bematech(
      comando,
      {cancelamento ? util::Ajusta(s1, kTableWidth) : s1, *preco, s2, *valor, *quantidade,
       cancelamento ? util::Ajusta(s3, kWaiterWidth) : util::AjustaZero(s3, kWaiterWidth),
       platform::Copy(s4, 1, kTableItemWidth), s5},
      true, false);
}

}  // namespace

bool AbreCupom_Bematech(const std::string& /*texto*/) {
  // The restaurant model opens its coupons by table.
  const int tipo = Qdm00000::IdTipoImpFis;
  if (tipo != 1 && tipo != 2) return false;
  return EnviaComando_Bematech("00", {}, true, false);
}

bool VendaItem_Bematech(const std::string& codigo, const std::string& descricao,
                        const std::string& aliquota, double quantidade, double preco,
                        double desconto) {
  const std::optional<std::string> qtd = QuantityField(quantidade);
  if (!qtd) return false;
  const std::optional<std::string> unitario = AmountField(Formato::V8, preco);
  if (!unitario) return false;
  std::optional<std::string> desc = std::string("0000");
  if (desconto > 0) desc = AmountField(Formato::V8, util::Trunc2(desconto));
  if (!desc) return false;
  return EnviaComando_Bematech("09",
                               {util::AjustaZero(codigo, kCodeWidth),
                                platform::Copy(descricao, 1, kDescriptionWidth), aliquota, *qtd,
                                *unitario, *desc},
                               true, false);
}

bool Registra_Item_Bematech(const std::string& s1, const std::string& s2, const std::string& s3,
                            const std::string& s4, const std::string& s5, double d1, double d2,
                            double d3) {
  return RestaurantItem("80|48", false, s1, s2, s3, s4, s5, d1, d2, d3);
}

bool Cancela_Item_Bematech(const std::string& s1, const std::string& s2, const std::string& s3,
                           const std::string& s4, const std::string& s5, double d1, double d2,
                           double d3) {
  return RestaurantItem("80|49", true, s1, s2, s3, s4, s5, d1, d2, d3);
}

bool Cancela_ItGenerico_Bematech(const std::string& item, bool a) {
  return EnviaComando_Bematech("31", {item}, a, false);
}

bool Cancela_Cupom_Bematech(bool a, bool b, std::string& numero) {
  const bool cancelado = EnviaComando_Bematech("14", {}, a, b);
  // The cancelled coupon is the one before the printer's current number;
  // with no number read, numero is left alone rather than guessed.
  if (Numero_Cupom_Bematech()) {
    const int atual = platform::StrToInt(RetornoImpFiscal_Bematech("30", true));
    numero = util::Ajusta(platform::IntToStr(atual - 1), kCouponNumberWidth);
  }
  return cancelado;
}

bool Acrescimo_Bematech(double valor) {
  const std::optional<std::string> campo = AmountField(Formato::V10, valor);
  if (!campo) return false;
  return EnviaComando_Bematech("62|50", {*campo}, true, false);
}

bool Totaliza_NFiscal_Bematech(const std::string& s1, const std::string& s2) {
  return EnviaComando_Bematech("10", {s1, s2}, true, false);
}

bool Cupom_NFiscNVinc_Bematech(const std::string& s1, const std::string& s2,
                               const std::string& s3) {
  // Supply and withdrawal carry no payment method.
  if (s1 == "SU" || s1 == "SA") return EnviaComando_Bematech("25", {s1, s2}, true, false);
  return EnviaComando_Bematech("25", {s1, s2, s3}, true, false);
}

bool Abre_Comp_NFiscalVinc_Bematech(const std::string& s1, const std::string& s2,
                                    const std::string& s3) {
  return EnviaComando_Bematech("66", {s1, s2, s3}, false, false);
}

bool Usa_CompNFis_Bematech(const std::string& texto) {
  return EnviaComando_Bematech("67", {texto}, false, false);
}

bool Numero_Cupom_Bematech() { return EnviaComando_Bematech("30", {}, true, false); }

bool Estado_Imp_Bematech(bool a, bool b) { return EnviaComando_Bematech("19", {}, a, b); }

bool Estado_Gaveta_Bematech(bool a, bool b) { return EnviaComando_Bematech("23", {}, a, b); }

bool Abre_Gaveta_Bematech() { return EnviaComando_Bematech("22|255", {}, true, false); }

}  // namespace Qdm00100
