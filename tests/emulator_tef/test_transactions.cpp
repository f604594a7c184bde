// Confirmation, undo and cancellation of card transactions, as the journal
// records them.
#include <gtest/gtest.h>

#include "tests/emulator_tef/manager_process.h"
#include "tests/emulator_tef/tef_root.h"

namespace tef_test {
namespace {

class Transactions : public ::testing::Test {
 protected:
  Fields sale(const std::string& amount = "1234") {
    return root.transaction({"000-000 = CRT", "001-000 = " + next_id(), "003-000 = " + amount});
  }

  // CNF or NCN naming the transaction as the library does; checks the
  // acknowledgement.
  void settle(const std::string& command, const Fields& answer, bool by_finalisation = false) {
    const std::string id = next_id();
    std::vector<std::string> request{"000-000 = " + command, "001-000 = " + id};
    if (!by_finalisation) {
      request.push_back("010-000 = " + answer.at("010-000"));
      request.push_back("012-000 = " + answer.at("012-000"));
    }
    request.push_back("027-000 = " + answer.at("027-000"));
    EXPECT_EQ(root.exchange(request),
              "000-000 = " + command + "\r\n001-000 = " + id + "\r\n999-999 = 0\r\n");
  }

  Fields cancel(const Fields& sold, const std::string& amount) {
    return root.transaction({"000-000 = CNC", "001-000 = " + next_id(),
                             "002-000 = " + sold.at("002-000"), "003-000 = " + amount,
                             "010-000 = " + sold.at("010-000"), "012-000 = " + sold.at("012-000"),
                             "022-000 = " + sold.at("022-000"), "023-000 = " + sold.at("023-000")});
  }

  std::string next_id() { return std::to_string(1000000000 + ++ids_); }

  TefRoot root;
  ManagerProcess manager{root.path()};
  int ids_ = 0;
};

struct SettleCase {
  const char* name;
  std::vector<std::string> commands;
  bool by_finalisation;
  const char* final_state;
  const char* journal_note;  // "" when none is expected
};

void PrintTo(const SettleCase& c, std::ostream* os) { *os << c.name; }

class Settling : public Transactions, public ::testing::WithParamInterface<SettleCase> {};

TEST_P(Settling, NeverConfirmsAndUndoesTheSameTransaction) {
  const auto& c = GetParam();
  const auto sold = sale();
  for (const auto& command : c.commands) settle(command, sold, c.by_finalisation);
  EXPECT_EQ(root.state_of(sold.at("012-000")), c.final_state);

  const std::string journal = root.journal();
  if (*c.journal_note) {
    EXPECT_NE(journal.find(std::string("nota=") + c.journal_note), std::string::npos) << journal;
  }
  // One real transition at most: the first settling command.
  int transitions = 0;
  for (const char* state : {"estado=CONFIRMADA\n", "estado=DESFEITA\n"})
    for (auto at = journal.find(state); at != std::string::npos; at = journal.find(state, at + 1))
      ++transitions;
  EXPECT_EQ(transitions, 1) << journal;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Settling,
    ::testing::Values(
        SettleCase{"Confirm", {"CNF"}, false, "CONFIRMADA", ""},
        SettleCase{"ConfirmByFinalisation", {"CNF"}, true, "CONFIRMADA", ""},
        SettleCase{"Undo", {"NCN"}, false, "DESFEITA", ""},
        SettleCase{"ConfirmTwice", {"CNF", "CNF"}, false, "CONFIRMADA", "ja confirmada"},
        SettleCase{"UndoAfterConfirm", {"CNF", "NCN"}, false, "CONFIRMADA",
                   "recusada: transacao ja confirmada"},
        SettleCase{"ConfirmAfterUndo", {"NCN", "CNF"}, false, "DESFEITA",
                   "recusada: transacao desfeita"}),
    [](const auto& info) { return info.param.name; });

TEST_F(Transactions, UnknownTransactionIsAcknowledgedAndJournaled) {
  settle("CNF", {{"010-000", "REDECARD"}, {"012-000", "424242"}, {"027-000", "none"}});
  EXPECT_NE(root.journal().find("nota=transacao nao encontrada"), std::string::npos);
}

TEST_F(Transactions, CancellationIsAnsweredWithItsVoucherAndAwaitsConfirmation) {
  const auto sold = sale();
  settle("CNF", sold);
  const std::string id = std::to_string(1000000000 + ids_ + 1);
  auto answer = cancel(sold, "1234");

  EXPECT_EQ(answer["000-000"], "CNC");
  EXPECT_EQ(answer["001-000"], id);
  EXPECT_EQ(answer["009-000"], "0");
  EXPECT_EQ(answer["003-000"], "1234");
  EXPECT_EQ(answer["010-000"], sold.at("010-000"));
  EXPECT_NE(answer["012-000"], sold.at("012-000"));
  EXPECT_FALSE(answer["027-000"].empty());
  EXPECT_EQ(answer["030-000"], "Cancelamento aprovado");
  const auto lines = voucher_lines(answer);
  ASSERT_EQ(std::to_string(lines.size()), answer["028-000"]);
  std::string voucher;
  for (const auto& line : lines) voucher += line;
  for (const char* expected : {"\"COMPROVANTE DE CANCELAMENTO\"", "R$ 12,34", "REDECARD"})
    EXPECT_NE(voucher.find(expected), std::string::npos) << expected;
  EXPECT_NE(voucher.find(sold.at("012-000")), std::string::npos);

  EXPECT_EQ(root.state_of(sold.at("012-000")), "CANCELADA");
  EXPECT_EQ(root.state_of(answer["012-000"]), "PENDENTE");
  settle("CNF", answer);
  EXPECT_EQ(root.state_of(answer["012-000"]), "CONFIRMADA");
}

TEST_F(Transactions, UndoneCancellationGivesTheSaleItsStateBack) {
  const auto sold = sale();
  settle("CNF", sold);
  const auto cancellation = cancel(sold, "1234");
  settle("NCN", cancellation);
  EXPECT_EQ(root.state_of(cancellation.at("012-000")), "DESFEITA");
  EXPECT_EQ(root.state_of(sold.at("012-000")), "CONFIRMADA");
}

struct RefusalCase {
  const char* name;
  const char* before;  // "" or a command applied to the sale first
  bool unknown_document;
  const char* amount;
  const char* reason;
  const char* sale_state;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class CancellationRefused : public Transactions,
                            public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CancellationRefused, IsDeclinedWithoutVoucher) {
  const auto& c = GetParam();
  auto sold = sale();
  if (std::string(c.before) == "CNC")
    ASSERT_EQ(cancel(sold, "1234")["009-000"], "0");
  else if (*c.before)
    settle(c.before, sold);
  auto target = sold;
  if (c.unknown_document) target["012-000"] = "999999";

  auto answer = cancel(target, c.amount);
  EXPECT_EQ(answer["000-000"], "CNC");
  EXPECT_NE(answer["009-000"], "0");
  EXPECT_FALSE(answer["010-000"].empty()) << "a left-over answer must name its network";
  EXPECT_EQ(answer.count("028-000"), 0u);
  EXPECT_TRUE(voucher_lines(answer).empty());
  EXPECT_NE(answer["030-000"].find(c.reason), std::string::npos) << answer["030-000"];
  EXPECT_EQ(root.state_of(sold.at("012-000")), c.sale_state);
  EXPECT_EQ(root.state_of(answer["012-000"]), "NEGADA");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CancellationRefused,
    ::testing::Values(
        RefusalCase{"UnknownDocument", "", true, "1234", "Transacao nao encontrada", "PENDENTE"},
        RefusalCase{"OtherAmount", "", false, "1235", "Valor nao confere", "PENDENTE"},
        RefusalCase{"AlreadyCancelled", "CNC", false, "1234", "Transacao ja cancelada",
                    "CANCELADA"},
        RefusalCase{"UndoneSale", "NCN", false, "1234", "nao pode ser cancelada", "DESFEITA"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tef_test
