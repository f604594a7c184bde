#include "tools/qdm_register/day_run.h"

#include <vector>

#include "drivers/common/type_codes.h"
#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "tools/qdm_register/day_closing.h"
#include "tools/qdm_register/till_steps.h"

namespace qdm_register {

namespace {

// The morning's customer pays by card; the afternoon's in cash, with change.
const std::vector<Product> kMorningBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, "", 2, 8.99, 0},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T", 12, "", 0.750, 39.90, 0},
};
const std::vector<Product> kAfternoonBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, "", 1, 8.99, 0},
    {"7894900011517", "SUCO UVA|MA\xC7\xC3 1L", "T", 18, "", 1, 7.49, 1.00},
    {"7891910000197", "A\xC7\332CAR REFINADO 1KG", "F", 0, "", 3, 4.29, 0},
};
const double kFloat = 100.00;      // the opening cash supply
const double kCashHanded = 50.00;  // the afternoon's note
const double kWithdrawal = 20.00;  // taken out during the day

// One customer: the basket sold and paid, the coupon closed, the card
// voucher printed; the day's closing learns what the till took.
bool Sell(Register& reg, DayClosing& closing, const std::vector<Product>& basket, bool by_card) {
  QdmVenda::Sale sale;
  sale.items = basket;
  double total = 0;
  for (const Product& p : basket) total += p.Amount();
  total = platform::RoundTo(total, 2);
  sale.payments = by_card ? Payments(total, 0) : Payments(0, kCashHanded);
  Say("\n== Venda de " + platform::FormatFloat("0.00", total) + (by_card ? " no cart\xE3o\n" : " em dinheiro\n"));
  const QdmVenda::SaleResult result = reg.Sell(sale);
  if (!result.completed) return false;
  for (const Product& p : basket) closing.Sold(p);
  if (by_card)
    closing.Took(kDebitType, kDebitName, result.total);
  else
    closing.Took(kCashType, "Dinheiro", result.total);  // the change went back
  return true;
}

}  // namespace

int RunRegisterDay(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Register reg(session, options);
  if (options.card) reg.StartManager();

  bool ok = reg.Start();
  if (ok && !kBematechRetail.Has(IdTipoImpFis))
    ok = Step("o dia do caixa roda numa impressora Bematech de tipo 1 ou 2; este caixa \xE9 do tipo " +
                  platform::IntToStr(IdTipoImpFis),
              false);
  ok = ok && reg.Recover();

  DayClosing closing;
  Say("\n== Abertura do dia\n");
  ok = ok && Step("Suprimento " + platform::FormatFloat("0.00", kFloat), Suprimento(kFloat));
  if (ok) closing.Supply(kFloat);
  ok = ok && Sell(reg, closing, kMorningBasket, options.card);
  ok = ok && Sell(reg, closing, kAfternoonBasket, false);
  if (ok) Say("\n== Sangria\n");
  ok = ok && Step("Sangria " + platform::FormatFloat("0.00", kWithdrawal), Sangria(kWithdrawal));
  if (ok) closing.Withdrawal(kWithdrawal);

  DayExport exported;
  ok = ok && CloseTheDay(session, closing, reg.till.payment_types(), exported);
  reg.ShowNotices(false);
  reg.Finish();
  reg.StopManager();
  reg.ShowOutputs();
  if (ok) ShowExport(exported);
  if (!ok) Say("== Dia n\xE3o conclu\355do\n");
  return ok ? 0 : 1;
}

}  // namespace qdm_register
