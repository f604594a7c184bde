#include "sale/validation.h"

#include <cmath>

#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "utility/utility.h"

namespace QdmVenda::detail {

namespace {

long long Cents(double amount) { return std::llround(amount * 100); }
double Reais(long long cents) { return static_cast<double>(cents) / 100; }
std::string Money(double amount) { return platform::CurrToStr(amount); }

bool Known(const std::vector<PaymentType>& types, const std::string& code) {
  for (const PaymentType& t : types)
    if (t.code == code) return true;
  return false;
}

std::string ItemProblem(const Item& item, std::size_t number) {
  const std::string which =
      "o item " + platform::IntToStr(static_cast<long long>(number)) + " (" + item.description + ")";
  if (item.description.empty() || item.code.empty()) return which + " n\xE3o tem c\363digo e descri\xE7\xE3o";
  if (!(item.quantity > 0)) return which + " tem quantidade " + platform::FloatToStr(item.quantity);
  if (!(item.unit_price > 0)) return which + " tem pre\xE7o " + Money(item.unit_price);
  if (item.discount < 0 || Cents(item.discount) >= Cents(util::Trunc2(item.quantity * item.unit_price)))
    return which + " tem desconto " + Money(item.discount) + ", que n\xE3o cabe no seu valor";
  return "";
}

}  // namespace

Totals TotalsOf(const Sale& sale, const PrinterFamily* family, int tipo) {
  long long items = 0, paid = 0;
  for (const Item& item : sale.items) items += Cents(ItemAmount(family, tipo, item));
  for (const Payment& payment : sale.payments) paid += Cents(payment.amount);
  Totals totals;
  totals.subtotal = Reais(items);
  totals.total = Reais(items - Cents(sale.discount));
  totals.paid = Reais(paid);
  return totals;
}

std::string SaleProblem(const Sale& sale, const std::vector<PaymentType>& types, const PrinterFamily& family,
                        const Totals& totals) {
  const bool restaurant = family.codes.Has(9);
  if (!sale.table.empty() && !restaurant) return "a venda de uma mesa pede a impressora de restaurante (tipo 9)";
  if (sale.items.empty()) return "a venda n\xE3o tem itens";
  for (std::size_t i = 0; i < sale.items.size(); ++i)
    if (std::string problem = ItemProblem(sale.items[i], i + 1); !problem.empty()) return problem;
  if (sale.discount < 0) return "o desconto " + Money(sale.discount) + " \xE9 negativo";
  if (Cents(sale.discount) >= Cents(totals.subtotal))
    return "o desconto " + Money(sale.discount) + " n\xE3o \xE9 menor que o subtotal " + Money(totals.subtotal);
  if (!family.takes_discount_and_buyer && (sale.discount > 0 || !sale.buyer_id.empty()))
    return "esta impressora n\xE3o recebe desconto no cupom nem o CPF do comprador";
  if (sale.payments.empty()) return "a venda n\xE3o tem pagamentos";
  int cards = 0;
  long long card_cents = 0;
  for (const Payment& payment : sale.payments) {
    if (!Known(types, payment.type)) return "a forma de pagamento " + payment.type + " n\xE3o est\xE1 cadastrada";
    if (!(payment.amount > 0)) return "um pagamento tem valor " + Money(payment.amount);
    if (payment.card) {
      ++cards;
      card_cents += Cents(payment.amount);
    }
  }
  // The manager undoes a pending card when the next is asked for, and the
  // cards are confirmed only after the coupon is closed.
  if (cards > 1) return "a venda aceita um s\xF3 pagamento com cart\xE3o";
  if (card_cents > Cents(totals.total))
    return "o cart\xE3o (" + Money(Reais(card_cents)) + ") passa do total " + Money(totals.total) +
           ": n\xE3o h\xE1 troco em cart\xE3o";
  if (Cents(totals.paid) < Cents(totals.total))
    return "os pagamentos (" + Money(totals.paid) + ") n\xE3o cobrem o total " + Money(totals.total);
  return "";
}

}  // namespace QdmVenda::detail
