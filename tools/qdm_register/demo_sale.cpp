#include "tools/qdm_register/demo_sale.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "drivers/common/type_codes.h"
#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "sale/card.h"
#include "tools/qdm_register/peripherals_demo.h"
#include "tools/qdm_register/till_steps.h"

namespace qdm_register {

namespace {

// The basket: a fractional quantity, an item discount, a name holding the
// frame separator, goods under tax substitution.
const std::vector<Product> kBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, "", 2, 8.99, 0},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T", 12, "", 0.750, 39.90, 0},
    {"7894900011517", "SUCO UVA|MA\xC7\xC3 1L", "T", 18, "", 1, 7.49, 1.00},
    {"7891910000197", "A\xC7\332CAR REFINADO 1KG", "F", 0, "", 3, 4.29, 0},
};

const double kCardPaid = 20.00;
const double kCashPaid = 50.00;
const char* kBuyerCpf = "123.456.789-09";
const char* kOperatorBadge = "12345";

// The printer refuses the coupon's closing ("34") once, as if the paper
// ran out at the last moment: read by the emulated printer when it loads.
const char* const kRefusedClosing = "34:0,1:1";

}  // namespace

int RunDemoSale(RegisterSession& session, const SaleOptions& options) {
  Register reg(session, options);
  if (options.card) reg.StartManager();

  // What an earlier run left is settled at every start, card or not.
  bool ok = reg.Start() && reg.Recover();
  TillDevices till(Step);
  ok = ok && till.SignIn(kOperatorBadge) && till.Scan(kBasket.front().code);
  // Each item on the customer display as it is registered.
  for (const Product& p : kBasket) {
    if (ok)
      ok = till.Show(p.description, platform::FloatToStr(p.quantity) + " x " +
                                        platform::FormatFloat("0.00", p.unit_price) + " = " +
                                        platform::FormatFloat("0.00", p.Amount()));
  }

  QdmVenda::Sale sale;
  sale.items = kBasket;
  // Without the card the cash pays its part too.
  sale.payments = options.card ? Payments(kCardPaid, kCashPaid) : Payments(0, kCashPaid + kCardPaid);
  sale.discount = options.discount;
  sale.buyer_id = kBuyerCpf;
  int failed = 1;
  if (ok) {
    const QdmVenda::SaleResult result = reg.Sell(sale);
    failed = SaleExit(result);
    ok = failed == 0;
    if (result.completed &&
        !till.Show("TOTAL " + platform::CurrToStr(result.total), "TROCO " + platform::CurrToStr(result.change)))
      failed = std::max(failed, 1);
    ok = failed == 0;
  }
  reg.ShowNotices(false);
  reg.Finish();
  reg.StopManager();
  reg.ShowOutputs();
  if (!ok)
    Say(failed == kExitCardUnsettled ? "== Venda com a confirma\xE7\xE3o do cart\xE3o pendente\n"
                                     : "== Venda n\xE3o conclu\355da\n");
  return ok ? 0 : failed;
}

int RunRecoveryDemo(RegisterSession& session, const SaleOptions& options) {
  // The emulated printer refuses the first closing of this run.
  setenv("MP20FI_FAULT", kRefusedClosing, 1);
  Register reg(session, options);
  reg.StartManager();
  bool ok = reg.Start() && reg.Recover();
  if (ok && !Qdm00000::kBematechRetail.Has(Qdm00000::IdTipoImpFis))
    ok = Step("a recupera\xE7\xE3o roda numa impressora Bematech de tipo 1 ou 2; este caixa \xE9 do tipo " +
                  platform::IntToStr(Qdm00000::IdTipoImpFis),
              false);

  // 1. A sale abandoned after the card was approved: the printer refuses
  //    the closing, the coupon is cancelled and so is the card transaction;
  //    its cancellation voucher is printed in a management report and the
  //    cancellation confirmed.
  Say("\n== Venda abandonada depois da aprova\xE7\xE3o do cart\xE3o\n");
  if (ok) {
    QdmVenda::Sale sale;
    sale.items = {kBasket.front()};
    sale.payments = Payments(10.00, kBasket.front().Amount());
    const QdmVenda::SaleResult result = reg.Sell(sale);
    ok = Step("venda abandonada: cupom cancelado, cart\xE3o desfeito",
              !result.completed && result.coupon == QdmVenda::CouponState::Cancelled && result.cards.size() == 1 &&
                  result.cards.front().state == QdmVenda::CardState::Undone);
  }

  // 2. A run killed right after a card approval: the approved answer stays
  //    in the manager's directory unconfirmed; the next start undoes it.
  Say("\n== Caixa interrompido depois da aprova\xE7\xE3o (processo morto)\n");
  if (ok) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
      QdmVenda::detail::RequestCard(kDebitType, 15.00, false);
      raise(SIGKILL);  // the power fails before the coupon is closed
      _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Step("caixa interrompido (sinal " + platform::IntToStr(WIFSIGNALED(status) ? WTERMSIG(status) : 0) + ")",
         WIFSIGNALED(status));
    const int left = QdmVenda::PendingCardAnswers();
    ok = Step("pr\xF3ximo in\355cio: CheckIntPosFiles desfaz a transa\xE7\xE3o pendente",
              reg.Recover() && left > 0 && QdmVenda::PendingCardAnswers() == 0);
  }
  reg.Finish();
  reg.StopManager();
  reg.ShowOutputs();
  return ok ? 0 : 1;
}

}  // namespace qdm_register
