#include "tools/qdm_register/day_run.h"

#include <memory>
#include <vector>

#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "tef/Qdm00500.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/day_closing.h"
#include "tools/qdm_register/till_steps.h"

namespace qdm_register {

using platform::TClientDataSet;

namespace {

// The morning's customer pays by card; the afternoon's in cash, with change.
const std::vector<Product> kMorningBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, 2, 8.99, 0},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T", 12, 0.750, 39.90, 0},
};
const std::vector<Product> kAfternoonBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, 1, 8.99, 0},
    {"7894900011517", "SUCO UVA|MA\xC7\xC3 1L", "T", 18, 1, 7.49, 1.00},
    {"7891910000197", "A\xC7\xDA" "CAR REFINADO 1KG", "F", 0, 3, 4.29, 0},
};
const double kFloat = 100.00;       // the opening cash supply
const double kCashHanded = 50.00;   // the afternoon's note
const double kWithdrawal = 20.00;   // taken out during the day

double Total(const std::vector<Product>& basket) {
  double total = 0;
  for (const Product& p : basket) total += p.Amount();
  return platform::RoundTo(total, 2);
}

// One customer: the basket sold and paid, the coupon closed, the card
// voucher printed; the day's closing learns what the till took.
bool Sell(Register& reg, DayClosing& closing, const std::vector<Product>& basket, bool by_card) {
  const double total = Total(basket);
  Say("\n== Venda de " + platform::FormatFloat("0.00", total) + (by_card ? " no cart\xE3o\n" : " em dinheiro\n"));
  bool ok = reg.SellBasket(basket);
  TClientDataSet movimentos("movimentos");
  PrepareMovements(movimentos);
  if (ok && by_card) ok = reg.PayCard(total);
  if (ok) AddMovement(movimentos, by_card ? kDebitType : kCashType, by_card ? total : kCashHanded, 1);
  std::string numero;
  ok = ok && reg.CloseCoupon(movimentos, 0, "", numero);
  if (reg.coupon_opened) reg.CancelOpenCoupon();
  if (ok && by_card) ok = reg.PrintCardVoucher(numero, total);
  if (!ok) return false;
  for (const Product& p : basket) closing.Sold(p);
  if (by_card)
    closing.Took(kDebitType, kDebitName, total);
  else
    closing.Took(kCashType, "Dinheiro", total);  // the change went back
  return true;
}

}  // namespace

int RunRegisterDay(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Register reg(session, options);
  std::unique_ptr<TefManager> manager;
  if (options.card) manager = std::make_unique<TefManager>(reg.ManagerProgram(), reg.ManagerRoot());

  bool ok = reg.Start();
  if (ok && !kBematechRetail.Has(IdTipoImpFis))
    ok = Step("o dia do caixa roda numa impressora Bematech de tipo 1 ou 2; este caixa \xE9 do tipo " +
                  platform::IntToStr(IdTipoImpFis),
              false);
  if (ok && options.card) ok = Step("CheckIntPosFiles", Qdm00500::CheckIntPosFiles());

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
  ok = ok && CloseTheDay(session, closing, reg.recebimentos, exported);
  reg.ShowNotices(false);
  reg.Finish();
  if (manager) manager->Stop();
  reg.ShowOutputs(options.card);
  if (ok) ShowExport(exported);
  if (!ok) Say("== Dia n\xE3o conclu\xED" "do\n");
  return ok ? 0 : 1;
}

}  // namespace qdm_register
