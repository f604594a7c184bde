// Confirmation, undo and the resolution at start, against the in-process
// stand-in manager on the frozen clock: the ledger of settled transactions,
// both roots, and the bounded wait for a cancellation's answer.
#include <gtest/gtest.h>

#include <filesystem>

#include "facade/Qdm00000.h"
#include "platform/base/clock.h"
#include "tef/Qdm00500.h"
#include "fake_manager.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

const std::string kUndone = "Cancelada a Transa\xE7\xE3o";

class SettlementTest : public TefTest {
 protected:
  SettlementTest() : dial(tef.MakeRoot("tef_dial")), disc(tef.MakeRoot("tef_disc")) {
    manager.Serve(dial);
    manager.Serve(disc);
    Qdm00500::DirTef = "c:\\tef_dial\\";
  }
  static Answer Sale(const std::string& document, const std::string& network = "REDECARD") {
    Answer a;
    a.id = "90000" + document;
    a.document = document;
    a.network = network;
    a.finalisation = "FIN" + document;
    a.voucher = {"CARTAO DE DEBITO", "VALOR: R$ 12,34"};
    return a;
  }
  // Leaves an answer in a root's archive, as the front end does.
  static void Archive(const std::string& root, const std::string& name, const Answer& a) {
    TefState::Write(root + "/resp/" + name, RecordText(a.Lines()));
  }
  std::vector<std::string> RequestRoots() const {
    std::vector<std::string> roots;
    for (const auto& r : manager.Requests())
      if (r.command != "ATV") roots.push_back(r.root);
    return roots;
  }
  int UndoDialogs() const {
    int count = 0;
    for (const auto& text : DialogTexts()) count += text.rfind(kUndone, 0) == 0;
    return count;
  }

  std::string dial, disc;
  FakeManager manager;
};

TEST_F(SettlementTest, AnswerWithoutNetworkIsNeitherConfirmedNorUndone) {
  Answer a = Sale("000101");
  a.network = "";
  Archive(dial, "intpos.001", a);
  for (bool undo : {false, true}) {
    EXPECT_FALSE(Qdm00500::VerificaRetorno(a.Record(), undo));
  }
  EXPECT_TRUE(manager.Requests().empty());
  EXPECT_TRUE(TefState::Exists(dial + "/resp/intpos.001"));
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(SettlementTest, SettledTransactionIsNeverSentAgainNorTurned) {
  struct Case {
    bool first_undo;
    bool second_undo;
    bool second_result;
    const char* network;
  } cases[] = {{false, false, true, "REDECARD"},
               {false, true, false, "REDECARD"},
               {true, true, true, "REDECARD"},
               {true, false, false, "REDECARD"},
               {false, false, true, "REDE;X%41 \xE9"}};  // kept whole in the ledger file
  int document = 200;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first_undo << "," << c.second_undo << " " << c.network);
    const Answer a = Sale(std::to_string(++document), c.network);
    const std::size_t before = manager.Exchanges().size();
    sandbox.dialogs->Clear();

    EXPECT_TRUE(Qdm00500::VerificaRetorno(a.Record(), c.first_undo));
    EXPECT_EQ(Qdm00500::VerificaRetorno(a.Record(), c.second_undo), c.second_result);

    const auto exchanges = manager.Exchanges();
    ASSERT_EQ(exchanges.size(), before + 1);
    EXPECT_EQ(exchanges.back(), c.first_undo ? "NCN" : "CNF");
    EXPECT_EQ(UndoDialogs(), c.first_undo ? 1 : 0);
  }
}

TEST_F(SettlementTest, ConfirmedAnswerLeftByAPowerFailureIsNotUndoneAtStart) {
  const Answer a = Sale("000301");
  Archive(dial, "intpos.1", a);
  ASSERT_TRUE(Qdm00500::VerificaRetorno(a.Record(), false));
  // The power fails here, before the archived answer is deleted.

  EXPECT_TRUE(Qdm00500::CheckIntPosFiles());

  EXPECT_EQ(manager.Exchanges(), std::vector<std::string>{"CNF"});
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(SettlementTest, UnacknowledgedConfirmationIsFinishedAtStartNotUndone) {
  const Answer a = Sale("000302");
  Archive(dial, "intpos.1", a);
  manager.acknowledge = false;
  EXPECT_FALSE(Qdm00500::VerificaRetorno(a.Record(), false));
  manager.acknowledge = true;

  EXPECT_TRUE(Qdm00500::CheckIntPosFiles());

  EXPECT_EQ(manager.Exchanges(), (std::vector<std::string>{"CNF", "CNF"}));
  EXPECT_EQ(manager.Requests().back().Field("012-000"), "000302");
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(UndoDialogs(), 0);
}

TEST_F(SettlementTest, StartUndoesLeftoversInBothRoots) {
  Archive(dial, "intpos.1", Sale("000401"));
  Archive(dial, "intpos.001", Sale("000402"));
  Archive(disc, "intpos.4", Sale("000403", "TECBAN"));
  // A stale acknowledgement names no transaction.
  TefState::Write(dial + "/resp/intpos.sts", RecordText({"000-000 = ATV", "001-000 = 1"}));

  EXPECT_TRUE(Qdm00500::CheckIntPosFiles());

  EXPECT_EQ(manager.Exchanges(), (std::vector<std::string>{"NCN", "NCN", "NCN"}));
  EXPECT_EQ(RequestRoots(), (std::vector<std::string>{dial, dial, disc}));
  EXPECT_EQ(UndoDialogs(), 3);
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(TefState::Files(disc + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(Qdm00500::DirTef, "c:\\tef_disc\\");
}

TEST_F(SettlementTest, StartStopsAtTheFirstFailureAndKeepsItsFile) {
  Archive(dial, "intpos.1", Sale("000501"));
  Archive(disc, "intpos.1", Sale("000502", "TECBAN"));
  manager.acknowledge = false;

  EXPECT_FALSE(Qdm00500::CheckIntPosFiles());

  EXPECT_EQ(manager.Exchanges(), std::vector<std::string>{"NCN"});
  EXPECT_EQ(RequestRoots(), std::vector<std::string>{dial});
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.1"});
  EXPECT_EQ(TefState::Files(disc + "/resp"), std::vector<std::string>{"intpos.1"});
  EXPECT_EQ(Qdm00500::DirTef, "c:\\tef_dial\\");
}

// An answer the start cannot read as a transaction's is set aside, named to
// the operator and in the log, and the start goes on; the next start does
// not meet it again.
TEST_F(SettlementTest, UnreadableAnswerIsSetAsideAndTheStartGoesOn) {
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 7919 + 13) % 256);
  Answer odd = Sale("000511");
  odd.network = "";
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"intpos.001", garbage},                   // in the answer slot
      {"intpos.7", garbage},                     // archived
      {"intpos.3", RecordText(odd.Lines())},     // a record that names no network
      {"intpos.4", std::string(2 << 20, '\n')},  // above the bound of a record
  };
  int document = 512;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sandbox.dialogs->Clear();
    std::filesystem::remove_all(dial + "/resp/ilegiveis");
    TefState::Write(dial + "/resp/" + c.name, c.bytes);
    Archive(disc, "intpos.1", Sale("000" + std::to_string(++document), "TECBAN"));
    const std::size_t exchanges = manager.Exchanges().size();

    EXPECT_TRUE(Qdm00500::CheckIntPosFiles());

    EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
    ASSERT_EQ(TefState::Files(dial + "/resp/ilegiveis"), std::vector<std::string>{"intpos.1"});
    EXPECT_EQ(TefState::Read(dial + "/resp/ilegiveis/intpos.1"), c.bytes);
    // The other root's leftover is undone as ever.
    EXPECT_EQ(manager.Exchanges().size(), exchanges + 1);
    EXPECT_EQ(UndoDialogs(), 1);
    const std::string told = "A resposta do Gerenciador Padr\xE3o c:\\tef_dial\\resp\\";
    ASSERT_FALSE(DialogTexts().empty());
    EXPECT_EQ(DialogTexts()[0].rfind(told, 0), 0u) << DialogTexts()[0];
    EXPECT_NE(DialogTexts()[0].find("c:\\tef_dial\\resp\\ilegiveis\\intpos.1"), std::string::npos);
    EXPECT_NE(sandbox.DebugLog().find("ERRO!!! TEF resposta ilegivel posta de lado: c:\\tef_dial\\resp\\"),
              std::string::npos);

    sandbox.dialogs->Clear();
    EXPECT_TRUE(Qdm00500::CheckIntPosFiles());
    EXPECT_TRUE(DialogTexts().empty());
  }
}

// The transaction an unreadable answer stood for is settled by the ledger:
// the decision recorded before the request is sent again from the names
// the ledger keeps (network, document, finalisation).
TEST_F(SettlementTest, DecisionWhoseAnswerWasSetAsideIsSentAgainFromTheLedger) {
  for (bool undo : {false, true}) {
    SCOPED_TRACE(undo ? "undo" : "confirmation");
    sandbox.dialogs->Clear();
    const Answer a = Sale(undo ? "000522" : "000521");
    Archive(dial, "intpos.1", a);
    manager.acknowledge = false;
    EXPECT_FALSE(Qdm00500::VerificaRetorno(a.Record(), undo));
    manager.acknowledge = true;
    TefState::Write(dial + "/resp/intpos.1", "\x01\x02 not a record");
    const std::size_t before = manager.Exchanges().size();

    EXPECT_TRUE(Qdm00500::CheckIntPosFiles());

    ASSERT_EQ(manager.Exchanges().size(), before + 1);
    const auto& again = manager.Requests().back();
    EXPECT_EQ(again.command, undo ? "NCN" : "CNF");
    EXPECT_EQ(again.Field("010-000"), "REDECARD");
    EXPECT_EQ(again.Field("012-000"), a.document);
    EXPECT_EQ(again.Field("027-000"), a.finalisation);
    EXPECT_EQ(UndoDialogs(), undo ? 1 : 0);
    // Settled now: the next start sends nothing.
    EXPECT_TRUE(Qdm00500::CheckIntPosFiles());
    EXPECT_EQ(manager.Exchanges().size(), before + 1);
  }
}

TEST_F(SettlementTest, StartWithNothingLeftSucceeds) {
  EXPECT_TRUE(Qdm00500::CheckIntPosFiles());
  EXPECT_EQ(Qdm00500::DirTef, "c:\\tef_disc\\");

  std::filesystem::remove_all(disc);  // no TecBan manager installed
  EXPECT_TRUE(Qdm00500::CheckIntPosFiles());
  EXPECT_TRUE(manager.Requests().empty());
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(SettlementTest, UnansweredCancellationIsBoundedAndLeavesTheLateAnswerResolvable) {
  Archive(dial, "intpos.1", Sale("000600"));  // another transaction's answer
  manager.answer_cancellations = false;
  Qdm00500::inTimeoutRespostaTEF = 2;
  const platform::TDateTime start = platform::clock::Now();

  Qdm00500::CancelaTEF("000601", "1234", "REDECARD", "000601", "10122026", "140000", true);

  const double waited = (platform::clock::Now() - start) * 24 * 60 * 60;
  EXPECT_GT(waited, 2.0);
  EXPECT_LT(waited, 3.0);
  ASSERT_EQ(DialogTexts().size(), 1u);
  EXPECT_EQ(DialogTexts()[0], "O Gerenciador Padr\xE3o n\xE3o respondeu ao cancelamento.\r\nDoc No: 000601\r\n"
                              "Rede: REDECARD\r\nO cancelamento n\xE3o foi conclu\355do.");
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.1"});

  // The answer arrives late; the next probe keeps it for the next start.
  Answer late = Sale("000950");
  late.command = "CNC";
  late.id = manager.Requests().back().Field("001-000");
  Archive(dial, "intpos.001", late);
  Qdm00500::CheckGPAtivo();
  EXPECT_EQ(TefState::Files(dial + "/resp"), (std::vector<std::string>{"intpos.1", "intpos.2"}));

  sandbox.dialogs->Clear();
  EXPECT_TRUE(Qdm00500::CheckIntPosFiles());
  const auto& undo = manager.Requests().back();
  EXPECT_EQ(undo.command, "NCN");
  EXPECT_EQ(undo.Field("012-000"), "000950");
  EXPECT_EQ(UndoDialogs(), 2);
}

TEST_F(SettlementTest, VouchersAreSettledWithTheManagerOfTheirOwnNetwork) {
  Qdm00000::IdTipoImpFis = 0;  // no voucher text: printing succeeds at once
  const Answer tecban = Sale("000701", "TECBAN");
  const Answer redecard = Sale("000702", "REDECARD");
  Archive(disc, "intpos.1", tecban);
  Archive(dial, "intpos.1", redecard);
  Archive(dial, "intpos.2", Sale("000703"));  // another sale's answer stays
  tef.AddSale(tecban.Record());
  tef.AddSale(redecard.Record());
  Qdm00500::DirTef = "c:\\tef_dial\\";  // as the last card operation left it

  EXPECT_TRUE(Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0));

  EXPECT_EQ(manager.Exchanges(), (std::vector<std::string>{"CNF", "CNF"}));
  EXPECT_EQ(RequestRoots(), (std::vector<std::string>{disc, dial}));
  EXPECT_EQ(TefState::Files(disc + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.2"});
}

}  // namespace
}  // namespace tef_test
