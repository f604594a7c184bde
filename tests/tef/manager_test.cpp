// Across the process boundary: the library against the emulated TEF manager
// (tef_manager) on the real clock.
#include <gtest/gtest.h>

#include <thread>

#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "manager_runner.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

using platform::TStringList;

const std::string kInactive = "O Gerenciador Padr\xE3o n\xE3o est\xE1 ativo!";

std::string Field(const TStringList& record, const std::string& code) {
  return platform::Trim(record.Values(code + " "));
}

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class ManagerTest : public TefTest {
 protected:
  ManagerTest() : dial(tef.MakeRoot("tef_dial")) {
    platform::clock::UseSystem();
    Qdm00500::DirTef = "c:\\tef_dial\\";
  }
  void TearDown() override { EXPECT_TRUE(managers.StopAll()); }

  std::string dial;
  ManagerRunner managers;
};

TEST_F(ManagerTest, ProbeIsAcknowledged) {
  managers.Start(dial);
  // The probe's identifier is the second it was sent in: between these two.
  const std::string before = Qdm00500::GetSequence();
  EXPECT_TRUE(Qdm00500::CheckGPAtivo());
  const std::string after = Qdm00500::GetSequence();

  EXPECT_TRUE(DialogTexts().empty());
  const std::string journal = JournalOf(dial);
  const auto at = journal.find("ATV id=");
  ASSERT_NE(at, std::string::npos) << journal;
  const std::string id = journal.substr(at + 7, before.size());
  EXPECT_TRUE(id >= before && id <= after) << journal;
  EXPECT_FALSE(TefState::Exists(dial + "/resp/intpos.sts"));
}

TEST_F(ManagerTest, AcknowledgementWithAnotherIdentifierIsConsumedAndTheProbeFails) {
  managers.Start(dial, {"--wrong-id"});
  // Seven seconds of library time, spent only once the manager has answered.
  platform::clock::SetManual(platform::clock::Now());
  const std::string status = dial + "/resp/intpos.sts";
  bool answered = false;
  platform::Application().SetProcessMessagesHook([&] {
    if (!answered) answered = Eventually([&] { return platform::FileExists(status); });
  });

  EXPECT_FALSE(Qdm00500::CheckGPAtivo());

  EXPECT_TRUE(answered);
  EXPECT_FALSE(TefState::Exists(status));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{kInactive});
  EXPECT_EQ(Count(JournalOf(dial), " ATV "), 1);
}

TEST_F(ManagerTest, ConfirmationAndUndoReachTheManagerOnce) {
  managers.Start(dial);
  struct Case {
    bool undo;
    const char* amount;  // nullptr: no 003-000 in the answer
    const char* state;
    const char* amount_line;
  } cases[] = {
      {false, "1234", "CONFIRMADA", nullptr},
      {true, "1234", "DESFEITA", "Valor: R$ 12,34"},
      {true, "5", "DESFEITA", "Valor: R$ 0,05"},
      {true, nullptr, "DESFEITA", ""},
      {true, "12a", "DESFEITA", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.undo << " " << (c.amount ? c.amount : "none"));
    sandbox.dialogs->Clear();
    TStringList answer = CardSale(dial, 1234);
    const std::string nsu = Field(answer, "012-000");
    const int at = answer.IndexOfName("003-000 ");
    if (!c.amount)
      answer.Delete(at);
    else
      answer[at] = std::string("003-000 = ") + c.amount;

    EXPECT_TRUE(Qdm00500::VerificaRetorno(answer, c.undo));
    EXPECT_TRUE(Qdm00500::VerificaRetorno(answer, c.undo));  // not sent again

    EXPECT_EQ(StateOf(dial, nsu), c.state);
    EXPECT_EQ(Count(JournalOf(dial), "nsu=" + nsu + " "), 2);  // the sale and one settlement
    if (c.amount_line) {
      EXPECT_EQ(DialogTexts(), std::vector<std::string>{"Cancelada a Transa\xE7\xE3o\r\nDoc No: " + nsu +
                                                        "\r\nRede: REDECARD\r\n" + c.amount_line});
      EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtInformation);
    } else {
      EXPECT_TRUE(DialogTexts().empty());
    }
  }
}

TEST_F(ManagerTest, CancellationKeptForLaterIsConfirmedWhenItsVoucherPrints) {
  managers.Start(dial);
  const TStringList sale = CardSale(dial, 2500);
  const std::string nsu = Field(sale, "012-000");

  Qdm00500::CancelaTEF(Field(sale, "002-000"), "2500", "REDECARD", nsu, Field(sale, "022-000"), Field(sale, "023-000"),
                       false);

  EXPECT_EQ(DialogTexts(), std::vector<std::string>{"Cancelamento aprovado"});
  EXPECT_EQ(Qdm00500::inContCancCuponsTEF, 1);
  ASSERT_GT(tef.cancelados.Count(), 1);
  EXPECT_EQ(tef.cancelados[0], "1");
  EXPECT_EQ(tef.cancelados[1], "000-000 = CNC");
  const TStringList kept = [&] {
    TStringList k;
    for (int i = 1; i < tef.cancelados.Count(); ++i) k.Add(tef.cancelados[i]);
    return k;
  }();
  const std::string cancellation = Field(kept, "012-000");
  EXPECT_EQ(StateOf(dial, nsu), "CANCELADA");
  EXPECT_EQ(StateOf(dial, cancellation), "PENDENTE");
  // The sale's own answer is the front end's; the cancellation's is gone.
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.1"});

  EXPECT_TRUE(Qdm00500::ImprCupons(Qdm00500::stlCancCuponsTEF, Qdm00500::inContCancCuponsTEF, "", "", 0));
  EXPECT_EQ(StateOf(dial, cancellation), "CONFIRMADA");
}

TEST_F(ManagerTest, CancellationPrintedNowIsConfirmedAtOnce) {
  managers.Start(dial);
  const TStringList sale = CardSale(dial, 990);
  const std::string nsu = Field(sale, "012-000");

  Qdm00500::CancelaTEF("", "990", "REDECARD", nsu, "", "", true);

  EXPECT_EQ(StateOf(dial, nsu), "CANCELADA");
  EXPECT_NE(JournalOf(dial).find("CNF id="), std::string::npos);
  EXPECT_EQ(Count(JournalOf(dial), "estado=CONFIRMADA"), 1);
  // The operator's message as a notice that waits for nobody.
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, "Cancelamento aprovado");
  EXPECT_FALSE(sandbox.dialogs->Seen()[0].modal);
  EXPECT_EQ(Qdm00500::inContCancCuponsTEF, 0);
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.1"});
}

TEST_F(ManagerTest, WholeSaleIsCancelledThroughEachNetworksManager) {
  const std::string disc = tef.MakeRoot("tef_disc");
  managers.Start(dial);
  managers.Start(disc);
  const TStringList redecard = CardSale(dial, 1000);
  const TStringList tecban = CardSale(disc, 2000);
  ASSERT_EQ(Field(tecban, "010-000"), "TECBAN");
  tef.AddSale(redecard);
  tef.AddSale(tecban);
  const std::vector<std::string> store = tef.cupons.Lines();

  Qdm00500::CancelaTEFs(true);

  EXPECT_EQ(StateOf(dial, Field(redecard, "012-000")), "CANCELADA");
  EXPECT_EQ(StateOf(disc, Field(tecban, "012-000")), "CANCELADA");
  EXPECT_EQ(Count(JournalOf(dial), "tipo=CNC"), 2);  // cancellation made, then confirmed
  EXPECT_EQ(Count(JournalOf(disc), "estado=CONFIRMADA"), 1);
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(TefState::Files(disc + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(tef.cupons.Lines(), store);
  EXPECT_EQ(Qdm00500::inContCuponsTEF, 2);
}

TEST_F(ManagerTest, AnswersOfOtherRequestsAreArchivedWhileWaiting) {
  managers.Start(dial, {"--answer-delay-ms", "400"});
  const TStringList sale = CardSale(dial, 700);
  const std::string foreign =
      RecordText({"000-000 = CNC", "001-000 = 0000000001", "010-000 = REDECARD", "012-000 = 999999", "999-999 = 0"});
  // Another request's answer turns up once the manager has taken ours.
  bool dropped = false;
  platform::Application().SetProcessMessagesHook([&] {
    const std::string status = dial + "/resp/intpos.sts";
    if (!dropped && platform::FileExists(status) &&
        platform::ReadFileBytes(status).find("000-000 = CNC") != std::string::npos) {
      TefState::Write(dial + "/resp/intpos.001", foreign);
      dropped = true;
    }
  });

  Qdm00500::CancelaTEF("", "700", "REDECARD", Field(sale, "012-000"), "", "", false);

  ASSERT_TRUE(dropped);
  EXPECT_EQ(Qdm00500::inContCancCuponsTEF, 1);
  EXPECT_EQ(StateOf(dial, Field(sale, "012-000")), "CANCELADA");
  EXPECT_EQ(TefState::Files(dial + "/resp"), (std::vector<std::string>{"intpos.1", "intpos.2"}));
  EXPECT_EQ(TefState::Read(dial + "/resp/intpos.2"), foreign);
}

}  // namespace
}  // namespace tef_test
