#include "drivers/sweda/item_fields.h"

#include <cmath>

#include "drivers/common/digit_fields.h"
#include "drivers/common/messages.h"
#include "drivers/sweda/driver_support.h"
#include "drivers/sweda/models.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace Qdm00200::detail {

namespace {

// Quantities with three implied decimals, amounts with two.
constexpr drivers::DigitField kQuantity{"quantidade", "0000.000", 5};
constexpr drivers::DigitField kUnitPrice{"preco unitario", "000000.00", 7};
constexpr drivers::DigitField kDiscount{"desconto", "0000000000.00", 11};
constexpr drivers::DigitField kDiscountShort{"desconto", "00.00", 3};
constexpr drivers::DigitField kItemTotal{"total do item", "0000000000.00", 11};
constexpr int kPriceWidth = 9;
constexpr int kPercentWidth = 10;

std::optional<std::string> Field(const drivers::DigitField& field, double value) {
  return drivers::AmountField(field, value);
}

}  // namespace

std::optional<ItemFrames> BuildItem(int tipo, const std::string& codigo,
                                    const std::string& descricao, const std::string& aliquota,
                                    double quantidade, double preco, double desconto) {
  // A whole quantity and a fractional one share the field: 2 is 0002000,
  // 1.2345 is 0001234 (cut, not rounded); 10 000 and more do not fit.
  const auto qty = Field(kQuantity, util::Trunc3(quantidade));
  if (!qty) return std::nullopt;
  const auto price = Field(kUnitPrice, preco);
  if (!price) return std::nullopt;
  // The item total is the sale's own, cut to the cent: 0.999 x 3 is 2.99,
  // though the unit price goes rounded to 1.00.
  const auto total = Field(kItemTotal, util::Trunc2(preco * quantidade));
  if (!total) return std::nullopt;
  const auto amount = Field(kDiscount, util::Trunc2(desconto));
  if (!amount) return std::nullopt;
  std::string first;
  if (ModelOf(tipo).discount == DiscountForm::PercentText) {
    first = platform::FloatToStrF(desconto, platform::TFloatFormat::ffFixed, 15, 2) + "% =";
    if (first.size() > static_cast<std::size_t>(kPercentWidth)) {
      drivers::ReportMisfit(kDiscountShort.name, desconto);
      return std::nullopt;
    }
    first = util::TamFixo(first, kPercentWidth);
  } else {
    const auto shortField = Field(kDiscountShort, util::Trunc2(desconto));
    if (!shortField) return std::nullopt;
    first = *shortField;
  }
  ItemFrames frames;
  frames.sale = {util::AjustaZero(codigo, 13),
                 *qty,
                 util::AjustaZero(*price, kPriceWidth),
                 *total,
                 util::TamFixo(descricao, 24),
                 util::TamFixo(aliquota, 3),
                 util::TamFixo(" " + CatalogueText("Promocao") + " " + descricao, 40)};
  frames.discount = {first, *amount};
  return frames;
}

}  // namespace Qdm00200::detail
