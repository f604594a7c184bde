// Confirmation, undo and cancellation of card transactions, as the journal
// records them.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/emulator_tef/manager_process.h"
#include "tests/emulator_tef/tef_root.h"

namespace tef_test {
namespace {

class TransactionsTest : public ::testing::Test {
 protected:
  Fields sale(const std::string& amount = "1234") {
    return root.transaction({"000-000 = CRT", "001-000 = " + next_id(), "003-000 = " + amount});
  }

  // CNF or NCN naming the transaction as the library does; checks the
  // acknowledgement: the request's echo, and a refusal's reason when the
  // transaction already ended the other way.
  std::string settle(const std::string& command, const Fields& answer, bool by_finalisation = false) {
    const std::string id = next_id();
    std::vector<std::string> request{"000-000 = " + command, "001-000 = " + id};
    if (!by_finalisation) {
      request.push_back("010-000 = " + answer.at("010-000"));
      request.push_back("012-000 = " + answer.at("012-000"));
    }
    request.push_back("027-000 = " + answer.at("027-000"));
    const std::string acknowledgement = root.exchange(request).value_or("");
    const std::string echo = "000-000 = " + command + "\r\n001-000 = " + id + "\r\n";
    const auto reason = acknowledgement.find("030-000 = ");
    const std::string refusal =
        reason == std::string::npos
            ? ""
            : acknowledgement.substr(reason + 10, acknowledgement.find('\r', reason) - reason - 10);
    EXPECT_EQ(acknowledgement,
              echo + (refusal.empty() ? "" : "009-000 = 05\r\n030-000 = " + refusal + "\r\n") + "999-999 = 0\r\n");
    return refusal;
  }

  Fields cancel(const Fields& sold, const std::string& amount) {
    return root.transaction({"000-000 = CNC", "001-000 = " + next_id(), "002-000 = " + sold.at("002-000"),
                             "003-000 = " + amount, "010-000 = " + sold.at("010-000"),
                             "012-000 = " + sold.at("012-000"), "022-000 = " + sold.at("022-000"),
                             "023-000 = " + sold.at("023-000")});
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

class SettlingTest : public TransactionsTest, public ::testing::WithParamInterface<SettleCase> {};

TEST_P(SettlingTest, NeverConfirmsAndUndoesTheSameTransaction) {
  const auto& c = GetParam();
  const auto sold = sale();
  std::string refusal;
  for (const auto& command : c.commands) refusal = settle(command, sold, c.by_finalisation);
  EXPECT_EQ(root.state_of(sold.at("012-000")), c.final_state);
  // Only a contrary decision is refused, and the acknowledgement says why.
  EXPECT_EQ(refusal, std::string(c.journal_note).starts_with("recusada") ? c.journal_note : "");

  const std::string journal = root.journal();
  if (*c.journal_note) {
    EXPECT_NE(journal.find(std::string("nota=") + c.journal_note), std::string::npos) << journal;
  }
  // One real transition at most: the first settling command.
  int transitions = 0;
  for (const char* state : {"estado=CONFIRMADA\n", "estado=DESFEITA\n"})
    for (auto at = journal.find(state); at != std::string::npos; at = journal.find(state, at + 1)) ++transitions;
  EXPECT_EQ(transitions, 1) << journal;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, SettlingTest,
    ::testing::Values(
        SettleCase{"Confirm", {"CNF"}, false, "CONFIRMADA", ""},
        SettleCase{"ConfirmByFinalisation", {"CNF"}, true, "CONFIRMADA", ""},
        SettleCase{"Undo", {"NCN"}, false, "DESFEITA", ""},
        SettleCase{"ConfirmTwice", {"CNF", "CNF"}, false, "CONFIRMADA", "ja confirmada"},
        SettleCase{"UndoAfterConfirm", {"CNF", "NCN"}, false, "CONFIRMADA", "recusada: transacao ja confirmada"},
        SettleCase{"ConfirmAfterUndo", {"NCN", "CNF"}, false, "DESFEITA", "recusada: transacao desfeita"}),
    [](const auto& info) { return info.param.name; });

TEST_F(TransactionsTest, UnknownTransactionIsAcknowledgedAndJournaled) {
  settle("CNF", {{"010-000", "REDECARD"}, {"012-000", "424242"}, {"027-000", "none"}});
  EXPECT_NE(root.journal().find("nota=transacao nao encontrada"), std::string::npos);
}

TEST_F(TransactionsTest, CancellationIsAnsweredWithItsVoucherAndAwaitsConfirmation) {
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

TEST_F(TransactionsTest, UndoneCancellationGivesTheSaleItsStateBack) {
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

class CancellationRefusedTest : public TransactionsTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CancellationRefusedTest, IsDeclinedWithoutVoucher) {
  const auto& c = GetParam();
  auto sold = sale();
  if (std::string(c.before) == "CNC") {
    // Confirmed: a cancellation still pending would be undone by the
    // manager at the next one.
    const auto cancellation = cancel(sold, "1234");
    ASSERT_EQ(cancellation.at("009-000"), "0");
    settle("CNF", cancellation);
  } else if (*c.before)
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

INSTANTIATE_TEST_SUITE_P(Cases, CancellationRefusedTest,
                         ::testing::Values(
                             // The refused cancellation is still the client's next transaction:
                             // the sale it left pending is undone by the manager.
                             RefusalCase{"UnknownDocument", "", true, "1234", "Transacao nao encontrada", "DESFEITA"},
                             RefusalCase{"OtherAmount", "", false, "1235", "Valor nao confere", "PENDENTE"},
                             RefusalCase{"AlreadyCancelled", "CNC", false, "1234", "Transacao ja cancelada",
                                         "CANCELADA"},
                             RefusalCase{"UndoneSale", "NCN", false, "1234", "nao pode ser cancelada", "DESFEITA"}),
                         [](const auto& info) { return info.param.name; });

int count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A journal line holding every part, in order.
bool has_line(const std::string& journal, const std::vector<std::string>& parts) {
  std::istringstream lines(journal);
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t at = 0;
    bool all = true;
    for (const auto& part : parts) {
      at = line.find(part, at);
      if (at == std::string::npos) {
        all = false;
        break;
      }
      at += part.size();
    }
    if (all) return true;
  }
  return false;
}

// The value of `key` on the first journal line holding `mark`.
std::string token_of(const std::string& journal, const std::string& mark, const std::string& key) {
  std::istringstream lines(journal);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find(mark) == std::string::npos) continue;
    const auto at = line.find(" " + key + "=");
    if (at == std::string::npos) continue;
    const auto from = at + key.size() + 2;
    return line.substr(from, line.find(' ', from) - from);
  }
  return "";
}

// How the last approval's answer ended when the manager went down.
enum class AnswerFate { Taken, LeftInResp, NeverWritten };

struct StartCase {
  const char* name;
  AnswerFate fate;
  const char* state_after_start;
  const char* note;  // of the manager's own undo; "" when none
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class AtStartTest : public TransactionsTest, public ::testing::WithParamInterface<StartCase> {
 protected:
  // A card sale approved and acknowledged whose answer ends as `fate`, the
  // manager then stopped (killed, for an answer never written).
  Fields approve_then_stop(AnswerFate fate) {
    if (fate == AnswerFate::Taken) {
      auto taken = sale("300");
      manager.stop(SIGTERM);
      return taken;
    }
    if (fate == AnswerFate::NeverWritten) root.write_control("answer-delay-ms=60000\n");
    const std::string id = next_id();
    root.write_request({"000-000 = CRT", "001-000 = " + id, "003-000 = 300"});
    EXPECT_TRUE(root.take("intpos.sts"));
    if (fate == AnswerFate::NeverWritten) {
      manager.stop(SIGKILL);
      root.write_control("");
      EXPECT_FALSE(fs::exists(root.path() / "resp" / "intpos.001"));
      // Known only from the journal.
      return {{"010-000", "REDECARD"},
              {"012-000", token_of(root.journal(), "valor=300", "nsu")},
              {"027-000", token_of(root.journal(), "valor=300", "fin")}};
    }
    const auto answer = root.path() / "resp" / "intpos.001";
    EXPECT_TRUE(eventually(
        [&] { return root.journal().find("nota=resposta gravada: rede REDECARD doc ") != std::string::npos; }));
    manager.stop(SIGTERM);
    std::ifstream in(answer, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto fields = parse_fields(bytes);
    EXPECT_EQ(fields["001-000"], id);
    return fields;
  }
};

// The managers' rule for an approval its client never settled, at the
// manager's start: an approval whose answer the client took may stand on a
// closed coupon, so it waits, pending, for the client's decision (sent
// again by the client's recovery); one whose answer never reached the
// client (never written, or still in "resp") is undone by the manager
// itself, and the journal says so. A settled transaction is never touched.
TEST_P(AtStartTest, TheManagerUndoesOnlyAnswersThatNeverReachedTheClient) {
  const auto& c = GetParam();
  const auto confirmed = sale("100");
  settle("CNF", confirmed);
  const auto undone = sale("200");
  settle("NCN", undone);
  const auto last = approve_then_stop(c.fate);
  const std::string nsu = last.at("012-000");
  ASSERT_TRUE(has_line(root.journal(), {"CRT", "nsu=" + nsu, "estado=PENDENTE"})) << root.journal();

  ManagerProcess restarted{root.path()};
  // A served request marks the end of the start.
  ASSERT_TRUE(root.exchange({"000-000 = ATV", "001-000 = " + next_id()}));
  const std::string journal = root.journal();
  EXPECT_EQ(root.state_of(nsu), c.state_after_start) << journal;
  if (*c.note) {
    EXPECT_TRUE(has_line(journal, {"NCN", "nsu=" + nsu, "valor=300", "estado=DESFEITA",
                                   std::string("nota=desfeita pelo gerenciador: ") + c.note}))
        << journal;
  }
  EXPECT_EQ(count(journal, "desfeita pelo gerenciador"), *c.note ? 1 : 0) << journal;
  // An answer taken back is gone: no client can act on it any more.
  EXPECT_FALSE(fs::exists(root.path() / "resp" / "intpos.001"));
  EXPECT_EQ(root.state_of(confirmed.at("012-000")), "CONFIRMADA");
  EXPECT_EQ(root.state_of(undone.at("012-000")), "DESFEITA");

  // The client's decision after its restart: it settles the approval whose
  // answer it took, and is refused for one the manager undid.
  settle("CNF", last);
  if (c.fate == AnswerFate::Taken) {
    EXPECT_EQ(root.state_of(nsu), "CONFIRMADA");
  } else {
    EXPECT_EQ(root.state_of(nsu), "DESFEITA");
    EXPECT_NE(root.journal().find("nota=recusada: transacao desfeita"), std::string::npos);
  }
  // A third start finds nothing pending.
  ASSERT_EQ(restarted.stop(SIGTERM), 0);
  ManagerProcess third{root.path()};
  settle("CNF", confirmed);
  EXPECT_EQ(count(root.journal(), "desfeita pelo gerenciador"), *c.note ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(TransactionsTest, AtStartTest,
                         ::testing::Values(StartCase{"AnswerTaken", AnswerFate::Taken, "PENDENTE", ""},
                                           StartCase{"AnswerLeftInResp", AnswerFate::LeftInResp, "DESFEITA",
                                                     "pendente na partida, resposta nao retirada"},
                                           StartCase{"AnswerNeverWritten", AnswerFate::NeverWritten, "DESFEITA",
                                                     "pendente na partida, resposta nao gravada"}),
                         [](const auto& info) { return info.param.name; });

// A taken answer left pending at start is still undone when the client
// starts another transaction without deciding it.
TEST_F(TransactionsTest, TakenAnswerLeftPendingAtStartIsUndoneAtTheNextTransaction) {
  const auto taken = sale("300");
  ASSERT_EQ(manager.stop(SIGTERM), 0);
  ManagerProcess restarted{root.path()};
  EXPECT_EQ(root.state_of(taken.at("012-000")), "PENDENTE");
  const auto next = sale("600");
  EXPECT_EQ(root.state_of(taken.at("012-000")), "DESFEITA");
  EXPECT_EQ(root.state_of(next.at("012-000")), "PENDENTE");
  EXPECT_TRUE(has_line(root.journal(), {"nsu=" + taken.at("012-000"), "estado=DESFEITA",
                                        "nota=desfeita pelo gerenciador: nova transacao"}))
      << root.journal();
}

TEST_F(TransactionsTest, PendingApprovalIsUndoneAtTheClientsNextTransaction) {
  const auto first = sale("100");
  const auto second = sale("250");
  EXPECT_EQ(root.state_of(first.at("012-000")), "DESFEITA");
  EXPECT_EQ(root.state_of(second.at("012-000")), "PENDENTE");
  EXPECT_TRUE(has_line(root.journal(),
                       {"NCN ", "nsu=" + first.at("012-000") + " rede=REDECARD valor=100 fin=" + first.at("027-000") +
                                    " estado=DESFEITA nota=desfeita pelo gerenciador: nova transacao"}))
      << root.journal();
  settle("CNF", second);
  EXPECT_EQ(root.state_of(second.at("012-000")), "CONFIRMADA");
  // Settled transactions stay as they are at the next one.
  sale("300");
  EXPECT_EQ(root.state_of(second.at("012-000")), "CONFIRMADA");
  EXPECT_EQ(count(root.journal(), "desfeita pelo gerenciador"), 1);
}

// A cancellation left pending is undone like any approval, which gives its
// sale back; the sale a new cancellation names is left to that
// cancellation.
TEST_F(TransactionsTest, PendingCancellationUndoneByTheManagerGivesTheSaleBack) {
  const auto sold = sale("1234");
  settle("CNF", sold);
  const auto cancellation = cancel(sold, "1234");
  ASSERT_EQ(root.state_of(sold.at("012-000")), "CANCELADA");

  const auto other = sale("500");
  const auto other_cancellation = cancel(other, "500");
  EXPECT_EQ(other_cancellation.at("009-000"), "0");
  EXPECT_EQ(root.state_of(cancellation.at("012-000")), "DESFEITA");
  EXPECT_EQ(root.state_of(sold.at("012-000")), "CONFIRMADA");
  EXPECT_EQ(root.state_of(other.at("012-000")), "CANCELADA");
  EXPECT_EQ(root.state_of(other_cancellation.at("012-000")), "PENDENTE");
}

// A client that never got its cancellation's answer asks again: the first,
// still pending, is undone by the manager and the second cancels the sale,
// once.
TEST_F(TransactionsTest, CancellationAskedAgainReplacesTheOneLeftPending) {
  const auto sold = sale("1234");
  settle("CNF", sold);
  const auto lost = cancel(sold, "1234");
  const auto again = cancel(sold, "1234");
  EXPECT_EQ(again.at("009-000"), "0");
  EXPECT_EQ(root.state_of(lost.at("012-000")), "DESFEITA");
  EXPECT_EQ(root.state_of(again.at("012-000")), "PENDENTE");
  EXPECT_EQ(root.state_of(sold.at("012-000")), "CANCELADA");
  settle("CNF", again);
  EXPECT_EQ(root.state_of(again.at("012-000")), "CONFIRMADA");
}

// A power failure can cut the journal's last line. The manager wrote it
// before acting on it, so it stands for nothing: it is not replayed (its
// document number is handed out again), and the next event marks it cut
// and starts a line of its own.
TEST(Journal, LineCutByAPowerFailureIsNotReplayed) {
  TefRoot root;
  {
    std::ofstream journal(root.path() / "journal.txt", std::ios::binary);
    journal << "2026-12-10 14:03:27 CRT id=0000000001 tipo=CRT nsu=000041 rede=REDECARD valor=100 "
               "fin=20261210140327000041 estado=CONFIRMADA\n"
            << "2026-12-10 14:03:40 CRT id=0000000002 tipo=CRT nsu=000042 rede=REDECARD valor=200 "
               "fin=20261210140340000042 estado=PEND";
  }
  ManagerProcess manager{root.path()};
  const auto sold = root.transaction({"000-000 = CRT", "001-000 = 0000000003", "003-000 = 300"});
  EXPECT_EQ(sold.at("012-000"), "000042");
  EXPECT_EQ(root.state_of("000041"), "CONFIRMADA");
  EXPECT_EQ(root.state_of("000042"), "PENDENTE");
  const std::string journal = root.journal();
  EXPECT_EQ(journal.find("desfeita pelo gerenciador"), std::string::npos) << journal;
  EXPECT_NE(journal.find("estado=PEND linha-cortada\n2026-"), std::string::npos) << journal;
  EXPECT_EQ(journal.back(), '\n');
}

// A shop's journal grows for years; the manager reads back at start only
// what recovery needs. Here the journal's head is 8 GB (sparse): a start
// that read it whole would never be ready, nor have the memory for it.
TEST(Journal, StartReadsBackOnlyWhatRecoveryNeeds) {
  TefRoot root;
  const fs::path path = root.path() / "journal.txt";
  { std::ofstream(path, std::ios::binary) << "2026-12-01 08:00:00 CRT id=0000000000 "; }
  fs::resize_file(path, std::uintmax_t{8} << 30);
  {
    std::ofstream journal(path, std::ios::binary | std::ios::app);
    journal << "\n2026-12-10 14:03:27 CRT id=0000000001 tipo=CRT nsu=000041 rede=REDECARD valor=100 "
               "fin=F41 estado=PENDENTE\n"
            << "2026-12-10 14:03:27 CRT id=0000000001 nota=resposta gravada: rede REDECARD doc 000041\n"
            << "2026-12-10 14:03:30 CNF id=0000000002 tipo=CRT nsu=000041 rede=REDECARD valor=100 "
               "fin=F41 estado=CONFIRMADA\n"
            << "2026-12-10 14:03:40 CRT id=0000000003 tipo=CRT nsu=000042 rede=REDECARD valor=200 "
               "fin=F42 estado=PENDENTE\n";
  }
  ManagerProcess manager{root.path()};
  const auto sold = root.transaction({"000-000 = CRT", "001-000 = 0000000004", "003-000 = 300"});
  EXPECT_EQ(sold.at("012-000"), "000043");
  ASSERT_EQ(manager.stop(SIGTERM), 0);

  // The end of the journal: the approval whose answer was never written is
  // undone at start, the new sale follows it.
  std::ifstream in(path, std::ios::binary);
  in.seekg(-2048, std::ios::end);
  const std::string tail{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(has_line(tail, {"NCN", "nsu=000042", "estado=DESFEITA",
                              "nota=desfeita pelo gerenciador: pendente na partida, resposta nao gravada"}))
      << tail;
  EXPECT_TRUE(has_line(tail, {"CRT id=0000000004 tipo=CRT nsu=000043", "estado=PENDENTE"})) << tail;
  EXPECT_FALSE(has_line(tail, {"nsu=000041", "DESFEITA"})) << tail;
}

// A transaction the start did not read is looked up, newest line first,
// when a request names it: by network and document or by finalisation.
TEST(Journal, OlderTransactionIsLookedUpWhenARequestNamesIt) {
  TefRoot root;
  {
    std::ofstream journal(root.path() / "journal.txt", std::ios::binary);
    for (int n = 1; n <= 1000; ++n) {
      char nsu[16];
      std::snprintf(nsu, sizeof nsu, "%06d", n);
      const std::string t =
          std::string("tipo=CRT nsu=") + nsu + " rede=REDECARD valor=" + std::to_string(n) + " fin=F" + nsu;
      journal << "2026-12-10 14:00:00 CRT id=" << 2 * n << " " << t << " estado=PENDENTE\n"
              << "2026-12-10 14:00:00 CRT id=" << 2 * n << " nota=resposta gravada: rede REDECARD doc " << nsu << "\n"
              << "2026-12-10 14:00:01 CNF id=" << 2 * n + 1 << " " << t << " estado=CONFIRMADA\n";
    }
  }
  ManagerProcess manager{root.path()};
  auto request = [&](std::vector<std::string> lines) {
    const auto ack = root.exchange(lines);
    EXPECT_TRUE(ack) << lines[0];
  };
  request({"000-000 = CNF", "001-000 = 9000000001", "010-000 = REDECARD", "012-000 = 000001", "027-000 = F000001"});
  request({"000-000 = NCN", "001-000 = 9000000002", "027-000 = F000003"});
  const auto cancellation = root.transaction(
      {"000-000 = CNC", "001-000 = 9000000003", "003-000 = 2", "010-000 = REDECARD", "012-000 = 000002"});
  EXPECT_EQ(cancellation.at("009-000"), "0");
  EXPECT_EQ(cancellation.at("012-000"), "001001");

  const std::string journal = root.journal();
  EXPECT_TRUE(has_line(journal, {"CNF id=9000000001", "nsu=000001", "estado=CONFIRMADA nota=ja confirmada"}))
      << journal.substr(journal.size() - 2000);
  EXPECT_TRUE(has_line(journal, {"NCN id=9000000002", "nsu=000003", "nota=recusada: transacao ja confirmada"}));
  EXPECT_TRUE(has_line(journal, {"CNC id=9000000003 tipo=CRT nsu=000002", "estado=CANCELADA antes=CONFIRMADA"}));
}

// An undone cancellation gives its sale back as it was, pending; read back
// after a restart, that sale is still known and undone at the client's
// next transaction, as it would have been without the restart.
TEST_F(TransactionsTest, SaleGivenBackByAnUndoneCancellationIsKnownAfterARestart) {
  const auto sold = sale("1234");
  cancel(sold, "1234");
  const auto other = sale("500");  // undoes the cancellation: the sale is pending again
  ASSERT_EQ(root.state_of(sold.at("012-000")), "PENDENTE");
  ASSERT_EQ(manager.stop(SIGTERM), 0);

  ManagerProcess restarted{root.path()};
  sale("700");
  EXPECT_EQ(root.state_of(sold.at("012-000")), "DESFEITA");
  EXPECT_EQ(root.state_of(other.at("012-000")), "DESFEITA");
  EXPECT_TRUE(has_line(root.journal(), {"nsu=" + sold.at("012-000"), "estado=DESFEITA",
                                        "nota=desfeita pelo gerenciador: nova transacao"}));
}

}  // namespace
}  // namespace tef_test
