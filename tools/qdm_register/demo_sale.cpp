#include "tools/qdm_register/demo_sale.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "facade/Qdm00000.h"
#include "platform/base/sysutils.h"
#include "platform/text/format.h"
#include "tef/Qdm00500.h"
#include "tools/qdm_register/card_payment.h"
#include "tools/qdm_register/daruma_steps.h"
#include "tools/qdm_register/peripherals_demo.h"
#include "tools/qdm_register/till_steps.h"

namespace qdm_register {

using platform::TClientDataSet;

namespace {

// The basket: a fractional quantity, an item discount, a name holding the
// frame separator, goods under tax substitution.
const std::vector<Product> kBasket = {
    {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, 2, 8.99, 0},
    {"2000000000015", "QUEIJO MUSSARELA KG", "T", 12, 0.750, 39.90, 0},
    {"7894900011517", "SUCO UVA|MA\xC7\xC3 1L", "T", 18, 1, 7.49, 1.00},
    {"7891910000197", "A\xC7\xDA" "CAR REFINADO 1KG", "F", 0, 3, 4.29, 0},
};

const double kCardPaid = 20.00;
const double kCashPaid = 50.00;
const char* kBuyerCpf = "123.456.789-09";
const char* kOperatorBadge = "12345";

}  // namespace

int RunDemoSale(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Register reg(session, options);
  std::unique_ptr<TefManager> manager;
  if (options.card) manager = std::make_unique<TefManager>(reg.ManagerProgram(), reg.ManagerRoot());

  bool ok = reg.Start();
  // Card answers left unconfirmed by an interrupted run are undone first.
  if (ok && options.card) ok = Step("CheckIntPosFiles", Qdm00500::CheckIntPosFiles());
  TillDevices till(Step);
  ok = ok && till.SignIn(kOperatorBadge) && till.Scan(kBasket.front().code);
  ok = ok && reg.SellBasket(kBasket);
  double total = -options.discount;
  for (const auto& p : kBasket) {
    const double amount = p.Amount();
    total += amount;
    if (ok) ok = till.Show(p.name, platform::FloatToStr(p.quantity) + " x " + platform::FormatFloat("0.00", p.price) +
                                       " = " + platform::FormatFloat("0.00", amount));
  }

  TClientDataSet movimentos("movimentos");
  PrepareMovements(movimentos);
  bool card_paid = false;
  if (ok && options.card) {
    // A card that is not approved ends the sale: the customer pays
    // otherwise at a new sale.
    card_paid = reg.PayCard(kCardPaid);
    if (card_paid) AddMovement(movimentos, kDebitType, kCardPaid, 1);
    ok = card_paid;
  }
  // Without the card the cash pays its part too.
  AddMovement(movimentos, kCashType, options.card ? kCashPaid : kCashPaid + kCardPaid, 2);

  std::string numero;
  const bool daruma = IsDaruma(IdTipoImpFis);
  if (ok) ok = reg.CloseCoupon(movimentos, options.discount, kBuyerCpf, numero);
  if (ok) ok = till.Show("TOTAL " + platform::CurrToStr(total),
                         "TROCO " + platform::CurrToStr(kCardPaid + kCashPaid - total));  // card or cash, paid in full
  if (reg.coupon_opened) reg.CancelOpenCoupon();
  if (ok && card_paid && daruma) {
    ok = Step("Relatorio_Gerencial (comprovante TEF)", OpenDarumaVoucher()) &&
         Step("ImprCupons (comprovante em duas vias, confirma\xE7\xE3o)",
              Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0));
  } else if (ok && card_paid) {
    // The card voucher goes into a voucher linked to the coupon just closed,
    // two copies, and only then is the transaction confirmed.
    ok = reg.PrintCardVoucher(numero, kCardPaid);
  }
  reg.ShowNotices(false);
  reg.Finish();
  if (manager) manager->Stop();
  reg.ShowOutputs(options.card);
  if (!ok) Say("== Venda n\xE3o conclu\xED" "da\n");
  return ok ? 0 : 1;
}

int RunRecoveryDemo(RegisterSession& session, const SaleOptions& options) {
  using namespace Qdm00000;
  Register reg(session, options);
  TefManager manager(reg.ManagerProgram(), reg.ManagerRoot());
  bool ok = reg.Start() && Step("CheckIntPosFiles", Qdm00500::CheckIntPosFiles());

  // 1. A sale abandoned after the card was approved: the coupon is
  //    cancelled and so is the card transaction; its cancellation voucher is
  //    kept and printed in a management report, then confirmed.
  Say("\n== Venda abandonada depois da aprova\xE7\xE3o do cart\xE3o\n");
  ok = ok && reg.SellBasket({kBasket.front()}) && reg.PayCard(10.00);
  std::string cancelado;
  if (ok) ok = Step("Cancela_Cupom", Cancela_Cupom(true, false, cancelado));
  if (ok) {
    Qdm00500::CancelaTEFs(false);
    ok = Step("CancelaTEFs (comprovantes guardados: " + platform::IntToStr(Qdm00500::inContCancCuponsTEF) + ")",
              Qdm00500::inContCancCuponsTEF == 1);
  }
  if (ok) {
    ok = Step("Relatorio_Gerencial", Relatorio_Gerencial());
    ok = Step("ImprCupons (comprovante de cancelamento)",
              Qdm00500::ImprCupons(Qdm00500::stlCancCuponsTEF, Qdm00500::inContCancCuponsTEF, "", "", 0)) && ok;
  }

  // 2. A run killed right after a card approval: the approved answer stays
  //    in the manager's directory unconfirmed; the next start undoes it.
  Say("\n== Caixa interrompido depois da aprova\xE7\xE3o (processo morto)\n");
  if (ok) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
      PayByCard(15.00);
      raise(SIGKILL);  // the power fails before the coupon is closed
      _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Step("caixa interrompido (sinal " + platform::IntToStr(WIFSIGNALED(status) ? WTERMSIG(status) : 0) + ")",
         WIFSIGNALED(status));
    ok = Step("pr\xF3ximo in\xED" "cio: CheckIntPosFiles desfaz a transa\xE7\xE3o pendente",
              Qdm00500::CheckIntPosFiles());
  }
  reg.Finish();
  manager.Stop();
  reg.ShowOutputs(true);
  return ok ? 0 : 1;
}

}  // namespace qdm_register
