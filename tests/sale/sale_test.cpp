// A sale as one call: it closes with its card confirmed, or it is abandoned
// with its coupon cancelled and its card undone with the manager; a sale
// that does not hold together never reaches the printer.
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "manager_runner.h"
#include "platform/base/sysutils.h"
#include "sale/QdmVenda.h"
#include "tef/Qdm00500.h"
#include "tests/sale/sale_fixture.h"

namespace sale_test {
namespace {

using QdmVenda::CardState;
using QdmVenda::CouponState;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(SaleTest, CardAndCashSaleClosesAndConfirmsTheCard) {
  StartManager();
  QdmVenda::Till& t = Started();
  QdmVenda::Sale sale = CoffeeSale(10.00, 10.00);
  sale.discount = 0.48;
  sale.buyer_id = "123.456.789-09";

  const QdmVenda::SaleResult result = t.Sell(sale);

  EXPECT_TRUE(result.completed) << result.failure;
  EXPECT_EQ(result.coupon, CouponState::Closed);
  EXPECT_EQ(result.coupon_number, "000001");
  EXPECT_DOUBLE_EQ(result.subtotal, 17.98);
  EXPECT_DOUBLE_EQ(result.total, 17.50);
  EXPECT_DOUBLE_EQ(result.paid, 20.00);
  EXPECT_DOUBLE_EQ(result.change, 2.50);
  ASSERT_EQ(result.cards.size(), 1u);
  const QdmVenda::CardResult& card = result.cards.front();
  EXPECT_TRUE(card.approved);
  EXPECT_EQ(card.state, CardState::Confirmed);
  EXPECT_STREQ(QdmVenda::CardStateName(card.state), "confirmed");
  EXPECT_FALSE(card.authorisation.empty());
  EXPECT_EQ(tef_test::StateOf(root, card.document), "CONFIRMADA");
  EXPECT_EQ(printer.CouponOpen(), 0);
  EXPECT_FALSE(result.steps.empty());
  for (const QdmVenda::Step& step : result.steps) EXPECT_TRUE(step.ok) << step.what;
}

// The printer refuses the closing after the card was approved: the coupon
// is cancelled and the card, never confirmed, undone with the manager, the
// operator told; nothing stays pending.
TEST_F(SaleTest, RefusedClosingCancelsTheCouponAndUndoesTheCard) {
  StartManager();
  QdmVenda::Till& t = Started();
  printer.FailCommand("34", 0, 1, 0, 1);

  const QdmVenda::SaleResult result = t.Sell(CoffeeSale(10.00, 10.00));

  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.coupon, CouponState::Cancelled);
  EXPECT_TRUE(Has(result.failure, "fechamento")) << result.failure;
  ASSERT_EQ(result.cards.size(), 1u);
  EXPECT_EQ(result.cards.front().state, CardState::Undone);
  EXPECT_EQ(tef_test::StateOf(root, result.cards.front().document), "DESFEITA");
  bool told = false;
  for (const std::string& text : result.messages) told = told || Has(text, "Cancelada a Transa\xE7\xE3o");
  EXPECT_TRUE(told);
  std::istringstream summary(tef_test::run_manager({"--root", root, "--print-journal"}));
  for (std::string line; std::getline(summary, line);) EXPECT_FALSE(Has(line, "PENDENTE")) << line;
  EXPECT_EQ(printer.CouponOpen(), 0);
  EXPECT_EQ(QdmVenda::PendingCardAnswers(), 0);
}

// A card the manager declines ends the sale: the coupon is cancelled and
// there is nothing to undo.
TEST_F(SaleTest, DeclinedCardCancelsTheCoupon) {
  StartManager({"--decline"});
  QdmVenda::Till& t = Started();

  const QdmVenda::SaleResult result = t.Sell(CoffeeSale(10.00, 10.00));

  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.coupon, CouponState::Cancelled);
  ASSERT_EQ(result.cards.size(), 1u);
  EXPECT_FALSE(result.cards.front().approved);
  EXPECT_EQ(result.cards.front().state, CardState::NotApproved);
  EXPECT_EQ(result.cards.front().message, "Transacao negada");
  EXPECT_EQ(printer.CouponOpen(), 0);
}

// The manager the host started dies while the customer types the PIN: the
// wait ends at once, the operator is told and the coupon cancelled.
TEST_F(SaleTest, ManagerThatEndsDuringTheCardIsNoticedAtOnce) {
  StartManager({"--answer-delay-ms", "60000"});
  bool killed = false;
  setup.manager_alive = [&] {
    if (!killed && Has(tef_test::JournalOf(root), " CRT ")) {
      ::kill(manager->pid(), SIGKILL);
      manager->wait_exit();
      killed = true;
    }
    return !killed;
  };
  QdmVenda::Till& t = Started();

  const QdmVenda::SaleResult result = t.Sell(CoffeeSale(10.00, 10.00));

  EXPECT_TRUE(killed);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.coupon, CouponState::Cancelled);
  ASSERT_EQ(result.cards.size(), 1u);
  EXPECT_EQ(result.cards.front().state, CardState::NotApproved);
  EXPECT_TRUE(Has(result.cards.front().message, "terminou")) << result.cards.front().message;
  bool told = false;
  for (const std::string& text : result.messages) told = told || Has(text, "terminou durante a transa");
  EXPECT_TRUE(told);
}

// What does not hold together is refused with its reason before the
// printer or the manager hears of it.
TEST_F(SaleTest, SaleThatDoesNotHoldTogetherNeverReachesThePrinter) {
  StartManager();
  QdmVenda::Till& t = Started();
  struct Case {
    const char* name;
    std::function<void(QdmVenda::Sale&)> change;
    const char* reason;
  } cases[] = {
      {"no items", [](QdmVenda::Sale& s) { s.items.clear(); }, "n\xE3o tem itens"},
      {"zero quantity", [](QdmVenda::Sale& s) { s.items[0].quantity = 0; }, "quantidade"},
      {"discount as large as the sale", [](QdmVenda::Sale& s) { s.discount = 1000; }, "desconto"},
      {"payments short",
       [](QdmVenda::Sale& s) {
         s.payments = {{"001", 10.00, false}};
       },
       "n\xE3o cobrem"},
      {"two cards",
       [](QdmVenda::Sale& s) {
         s.payments.push_back({"002", 1.00, true});
       },
       "um s\xF3"},
      {"card beyond the total",
       [](QdmVenda::Sale& s) {
         s.payments = {{"002", 20.00, true}};
       },
       "troco"},
      {"unknown payment type", [](QdmVenda::Sale& s) { s.payments[1].type = "099"; }, "099"},
      {"a table on a shop's printer", [](QdmVenda::Sale& s) { s.table = "10"; }, "mesa"},
  };
  printer.ClearFrames();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QdmVenda::Sale sale = CoffeeSale(10.00, 10.00);
    c.change(sale);
    const QdmVenda::SaleResult result = t.Sell(sale);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.coupon, CouponState::NotOpened);
    EXPECT_TRUE(Has(result.failure, c.reason)) << result.failure;
    EXPECT_TRUE(result.cards.empty());
  }
  EXPECT_EQ(printer.FrameCount(), 0);
  EXPECT_FALSE(Has(tef_test::JournalOf(root), " CRT "));
}

// On a Daruma printer the card voucher goes into a management report; the
// printer refuses its closing once: the sale closes it all the same, so
// the next sale opens its coupon.
TEST_F(SaleTest, DarumaVoucherReportLeftOpenIsClosedForTheNextSale) {
  // The emulated printer reads its settings at its first call.
  ::setenv("FS345_STATE", sandbox.dir.file("fs345.state").c_str(), 1);
  ::setenv("FS345_TAPE", sandbox.dir.file("fs345_tape.txt").c_str(), 1);
  ::setenv("FS345_MODEL", "7", 1);
  ::setenv("FS345_FAULT", "D4:31:1", 1);
  ::setenv("PKG_QDM_LIBRARY_PATH", testsupport::ExecutableDirectory().c_str(), 1);
  qdm_register::EcfConfig daruma;
  daruma.tipo = 7;
  qdm_register::WriteEcfConfig(sandbox.dir.file("ecf001.cds"), daruma);
  StartManager();
  QdmVenda::Till& t = Started();

  const QdmVenda::SaleResult first = t.Sell(CoffeeSale(10.00, 10.00));
  EXPECT_TRUE(first.completed) << first.failure;
  EXPECT_EQ(first.warning, "");
  bool closed_again = false;
  for (const QdmVenda::Step& step : first.steps)
    closed_again = closed_again || (Has(step.what, "FechRelatGerenc (relat\xF3rio do comprovante") && step.ok);
  EXPECT_TRUE(closed_again);
  ASSERT_EQ(first.cards.size(), 1u);
  EXPECT_EQ(first.cards.front().state, CardState::Confirmed);

  const QdmVenda::SaleResult next = t.Sell(CoffeeSale(10.00, 10.00));
  EXPECT_TRUE(next.completed) << next.failure;
  EXPECT_EQ(next.coupon, CouponState::Closed);
  ::unsetenv("FS345_FAULT");
}

// The manager takes the card and then never acknowledges its confirmation
// (hung after approving): the coupon and voucher are printed, the card is
// unsettled, pending with the manager, and the next start confirms it.
TEST_F(SaleTest, UnacknowledgedConfirmationLeavesTheCardUnsettled) {
  StartManager();
  std::ofstream(root + "/manager.ctl") << "no-ack-settle=1\n";
  QdmVenda::Till& t = Started();

  const QdmVenda::SaleResult result = t.Sell(CoffeeSale(10.00, 10.00));

  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.coupon, CouponState::Closed);
  ASSERT_EQ(result.cards.size(), 1u);
  EXPECT_EQ(result.cards.front().state, CardState::Unsettled);
  EXPECT_TRUE(Has(result.failure, "pendente")) << result.failure;
  EXPECT_EQ(tef_test::StateOf(root, result.cards.front().document), "PENDENTE");

  std::ofstream(root + "/manager.ctl") << "";
  const QdmVenda::RecoveryResult recovered = t.Recover();
  EXPECT_TRUE(recovered.ok);
  EXPECT_EQ(tef_test::StateOf(root, result.cards.front().document), "CONFIRMADA");
  for (const std::string& text : recovered.messages) EXPECT_FALSE(Has(text, "Cancelada")) << text;
}

// An undo of a transaction that already stands confirmed is refused, by the
// ledger or, when the ledger no longer knows it, by the manager: the
// operator is told it was NOT undone, never "Cancelada a Transa\xE7\xE3o".
TEST_F(SaleTest, RefusedUndoIsToldAsRefused) {
  StartManager();
  Started();
  const platform::TStringList answer = tef_test::CardSale(root, 1500);
  const std::string document = platform::Trim(answer.Values("012-000 "));
  Qdm00500::DirTefPorRede(platform::Trim(answer.Values("010-000 ")));
  ASSERT_TRUE(Qdm00500::VerificaRetorno(answer, false));
  for (const bool ledger_lost : {false, true}) {
    SCOPED_TRACE(ledger_lost ? "ledger lost" : "ledger kept");
    if (ledger_lost) std::filesystem::remove(root + "/qdm_tef.ldg");
    sandbox.dialogs->Clear();
    EXPECT_FALSE(Qdm00500::VerificaRetorno(answer, true));
    EXPECT_EQ(tef_test::StateOf(root, document), "CONFIRMADA");
    bool told = false;
    for (const std::string& text : sandbox.dialogs->Texts()) {
      EXPECT_FALSE(Has(text, "Cancelada a Transa")) << text;
      told = told || Has(text, "N\xC3O foi desfeita");
    }
    EXPECT_TRUE(told);
  }
  // The ledger holds it as the manager does: settled, confirmed.
  EXPECT_TRUE(Qdm00500::VerificaRetorno(answer, false));
}

// The transaction is undone at the manager between the coupon's closing and
// its confirmation (another front end's undo): the manager refuses the
// confirmation, and the sale says the card was undone, never confirmed.
TEST_F(SaleTest, RefusedConfirmationLeavesTheCardUndone) {
  StartManager();
  bool undone_elsewhere = false;
  setup.on_step = [&](const QdmVenda::Step& step) {
    if (undone_elsewhere || step.what.rfind("FechaCupom", 0) != 0) return;
    std::ofstream(root + "/req/.ncn", std::ios::binary)
        << "000-000 = NCN\r\n001-000 = 9000000001\r\n010-000 = REDECARD\r\n012-000 = 000001\r\n999-999 = 0\r\n";
    std::filesystem::rename(root + "/req/.ncn", root + "/req/intpos.001");
    undone_elsewhere = tef_test::Eventually([&] { return std::filesystem::exists(root + "/resp/intpos.sts"); });
    std::filesystem::remove(root + "/resp/intpos.sts");
  };
  QdmVenda::Till& t = Started();

  const QdmVenda::SaleResult result = t.Sell(CoffeeSale(10.00, 10.00));

  ASSERT_TRUE(undone_elsewhere);
  EXPECT_FALSE(result.completed);
  EXPECT_EQ(result.coupon, CouponState::Closed);
  ASSERT_EQ(result.cards.size(), 1u);
  EXPECT_EQ(result.cards.front().document, "000001");
  EXPECT_EQ(result.cards.front().state, CardState::Undone);
  EXPECT_TRUE(Has(result.failure, "recusou a confirma")) << result.failure;
  EXPECT_EQ(tef_test::StateOf(root, "000001"), "DESFEITA");
  bool told = false;
  for (const std::string& text : result.messages) told = told || Has(text, "N\xC3O foi confirmada");
  EXPECT_TRUE(told);
}

// An answer an earlier run left is settled at the start: undone with the
// manager, its file cleared away.
TEST_F(SaleTest, RecoverSettlesWhatAnEarlierRunLeft) {
  StartManager();
  const platform::TStringList left = tef_test::CardSale(root, 1500);
  const std::string document = platform::Trim(left.Values("012-000 "));
  QdmVenda::Till& t = Started();
  EXPECT_EQ(QdmVenda::PendingCardAnswers(), 1);

  const QdmVenda::RecoveryResult recovered = t.Recover();

  EXPECT_TRUE(recovered.ok);
  EXPECT_EQ(recovered.left, 1);
  EXPECT_EQ(QdmVenda::PendingCardAnswers(), 0);
  EXPECT_EQ(tef_test::StateOf(root, document), "DESFEITA");
  ASSERT_EQ(recovered.messages.size(), 1u);
  EXPECT_TRUE(Has(recovered.messages.front(), "Cancelada a Transa\xE7\xE3o"));
}

}  // namespace
}  // namespace sale_test
