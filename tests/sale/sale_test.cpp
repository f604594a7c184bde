// A sale as one call: it closes with its card confirmed, or it is abandoned
// with its coupon cancelled and its card undone with the manager; a sale
// that does not hold together never reaches the printer.
#include <signal.h>
#include <sys/wait.h>

#include <functional>
#include <sstream>

#include "manager_runner.h"
#include "platform/base/sysutils.h"
#include "sale/QdmVenda.h"
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
      {"payments short", [](QdmVenda::Sale& s) { s.payments = {{"001", 10.00, false}}; }, "n\xE3o cobrem"},
      {"two cards", [](QdmVenda::Sale& s) { s.payments.push_back({"002", 1.00, true}); }, "um s\xF3"},
      {"card beyond the total", [](QdmVenda::Sale& s) { s.payments = {{"002", 20.00, true}}; }, "troco"},
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
