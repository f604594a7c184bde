// The probe and acknowledgement wait on the frozen clock, archive naming and
// deletion of answer files.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/files.h"
#include "tef/Qdm00500.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

const std::string kInactive = "O Gerenciador Padr\xE3o n\xE3o est\xE1 ativo!";
const std::string kId = "4006072800";  // GetSequence at the sandbox's moment

class ExchangeTest : public TefTest {
 protected:
  ExchangeTest() : dial(tef.MakeRoot("tef_dial")), start(platform::clock::Now()) {
    Qdm00500::DirTef = "c:\\tef_dial\\";
  }
  double Elapsed() const { return (platform::clock::Now() - start) * 24 * 60 * 60; }
  std::string Resp(const std::string& name) const { return dial + "/resp/" + name; }
  // Runs `act` at each pass of the wait, with the library seconds elapsed.
  void EachPass(std::function<void(double)> act) {
    platform::Application().SetProcessMessagesHook([this, act] { act(Elapsed()); });
  }

  std::string dial;
  platform::TDateTime start;
};

TEST_F(ExchangeTest, AbsentManagerFailsAfterSevenSecondsWithoutSpinning) {
  // Left from before: both go before the probe is written.
  TefState::Write(Resp("intpos.sts"), RecordText({"000-000 = ATV", "001-000 = " + kId}));
  TefState::Write(Resp("intpos.001"), RecordText({"000-000 = ATV", "001-000 = 1"}));
  int passes = 0;
  EachPass([&](double) { ++passes; });

  EXPECT_FALSE(Qdm00500::CheckGPAtivo("ATV", kId));

  EXPECT_GT(Elapsed(), 7.0);
  EXPECT_LT(Elapsed(), 7.2);
  // One look every 50 ms of library time, not a busy loop.
  EXPECT_GE(passes, 140);
  EXPECT_LE(passes, 145);
  EXPECT_EQ(TefState::Read(dial + "/req/intpos.001"), "000-000 = ATV\r\n001-000 = " + kId + "\r\n999-999 = 0\r\n");
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, kInactive);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbOK);
}

TEST_F(ExchangeTest, ProbeArchivesATransactionAnswerLeftInTheSlot) {
  const std::string left = RecordText(Answer().Lines());
  TefState::Write(Resp("intpos.001"), left);

  EXPECT_FALSE(Qdm00500::CheckGPAtivo());

  // Kept where the next start undoes it, not deleted.
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.1"});
  EXPECT_EQ(TefState::Read(Resp("intpos.1")), left);
}

TEST_F(ExchangeTest, OtherCommandsWaitForTheStatusWithoutWriting) {
  struct Case {
    const char* name;
    std::string status;
    bool result;
    bool at_once;
  } cases[] = {
      {"echo", RecordText({"000-000 = CNF", "001-000 = " + kId, "999-999 = 0"}), true, true},
      {"empty", "", false, true},
      {"one line", RecordText({"000-000 = CNF"}), false, true},
      {"other id", RecordText({"000-000 = CNF", "001-000 = 4006072801"}), false, false},
      {"other command", RecordText({"000-000 = ATV", "001-000 = " + kId}), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sandbox.dialogs->Clear();
    TefState::Write(Resp("intpos.sts"), c.status);
    start = platform::clock::Now();

    EXPECT_EQ(Qdm00500::CheckGPAtivo("CNF", kId), c.result);

    if (c.at_once)
      EXPECT_LT(Elapsed(), 0.1);
    else
      EXPECT_GT(Elapsed(), 7.0);
    EXPECT_FALSE(TefState::Exists(Resp("intpos.sts")));  // consumed
    EXPECT_EQ(TefState::Files(dial + "/req"), std::vector<std::string>{});
    EXPECT_EQ(DialogTexts(), c.result ? std::vector<std::string>{} : std::vector<std::string>{kInactive});
  }
}

TEST_F(ExchangeTest, StatusOfAnotherRequestIsConsumedAndTheWaitGoesOn) {
  bool other_written = false, echo_written = false;
  EachPass([&](double seconds) {
    if (!other_written && seconds >= 1) {
      TefState::Write(Resp("intpos.sts"), RecordText({"000-000 = ATV", "001-000 = 1"}));
      other_written = true;
    } else if (!echo_written && seconds >= 3) {
      TefState::Write(Resp("intpos.sts"), RecordText({"000-000 = ATV", "001-000 = " + kId}));
      echo_written = true;
    }
  });

  EXPECT_TRUE(Qdm00500::CheckGPAtivo("ATV", kId));

  EXPECT_GE(Elapsed(), 3.0);
  EXPECT_LT(Elapsed(), 3.2);
  EXPECT_FALSE(TefState::Exists(Resp("intpos.sts")));
  EXPECT_TRUE(DialogTexts().empty());
}

// A front-end call queued for the main thread that fails while the probe
// waits is the host's business: the probe still sees the manager's echo.
TEST_F(ExchangeTest, FailingQueuedCallDoesNotMakeTheManagerLookAbsent) {
  std::vector<std::string> host_saw;
  platform::Application().OnException = [&](std::exception_ptr failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      host_saw.push_back(e.what());
    }
  };
  platform::Application().Queue([] { throw std::runtime_error("tela do caixa"); });
  EachPass([&](double seconds) {
    if (seconds >= 1) TefState::Write(Resp("intpos.sts"), RecordText({"000-000 = ATV", "001-000 = " + kId}));
  });

  const bool active = Qdm00500::CheckGPAtivo("ATV", kId);
  platform::Application().OnException = nullptr;

  EXPECT_TRUE(active);
  EXPECT_LT(Elapsed(), 1.2);
  EXPECT_EQ(host_saw, std::vector<std::string>{"tela do caixa"});
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(ExchangeTest, RootWithoutRequestDirectoryFailsAtOnce) {
  Qdm00500::DirTef = "c:\\tef_disc\\";  // never created

  EXPECT_FALSE(Qdm00500::CheckGPAtivo());

  EXPECT_LT(Elapsed(), 0.1);
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{kInactive});
}

TEST_F(ExchangeTest, NextArchiveNameFollowsTheHighestNumber) {
  struct Case {
    std::vector<std::string> files;
    const char* next;
  } cases[] = {
      {{}, "intpos.1"},
      {{"intpos.001", "intpos.3", "intpos.sts"}, "intpos.4"},
      {{"intpos.7"}, "intpos.8"},
      {{"intpos.2", "intpos.12", "intpos.abc", "intpos.", "journal.txt"}, "intpos.13"},
      {{"INTPOS.5"}, "intpos.6"},
      {{"intpos.001"}, "intpos.1"},
      // The counter at its end starts again at the lowest free number.
      {{"intpos.999999999999999"}, "intpos.1"},
      {{"intpos.999999999999999", "intpos.1", "intpos.2", "intpos.4"}, "intpos.3"},
      {{"intpos.1000000000000000", "intpos.1"}, "intpos.2"},
  };
  const std::string dir = "c:\\tef_dial\\resp\\";
  for (const auto& c : cases) {
    std::filesystem::remove_all(dial + "/resp");
    std::filesystem::create_directories(dial + "/resp");
    for (const auto& f : c.files) TefState::Write(Resp(f), "x");
    EXPECT_EQ(Qdm00500::NewIntPosFileName(dir), dir + c.next) << testing::PrintToString(c.files);
  }
  EXPECT_EQ(Qdm00500::NewIntPosFileName("c:\\tef_nowhere\\resp\\"), "c:\\tef_nowhere\\resp\\intpos.1");
}

// Answers archived one after the other with the counter at its end: each
// keeps a file of its own, none is replaced.
TEST_F(ExchangeTest, ArchiveNeverReplacesAnArchivedAnswer) {
  const std::string dir = "c:\\tef_dial\\resp\\";
  TefState::Write(Resp("intpos.999999999999999"), "last");
  for (int i = 0; i < 4; ++i) {
    const std::string text = "answer " + std::to_string(i);
    TefState::Write(Resp("intpos.001"), text);
    ASSERT_TRUE(platform::RenameFile(dir + "intpos.001", Qdm00500::NewIntPosFileName(dir)));
  }
  std::vector<std::string> kept;
  for (const auto& name : TefState::Files(dial + "/resp")) kept.push_back(TefState::Read(Resp(name)));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"answer 0", "answer 1", "answer 2", "answer 3", "last"}));
}

TEST_F(ExchangeTest, DeleteByIdentifierOrEverything) {
  const auto fill = [&] {
    TefState::Write(Resp("intpos.1"), RecordText({"000-000 = CRT", "001-000 = 111"}));
    TefState::Write(Resp("intpos.2"), RecordText({"000-000 = CRT", "001-000 = 222"}));
    TefState::Write(Resp("intpos.001"), RecordText({"000-000 = CNC", "001-000 = 111"}));
    TefState::Write(Resp("intpos.sts"), RecordText({"000-000 = ATV", "001-000 = 333"}));
    TefState::Write(Resp("journal.txt"), "001-000 = 111");
  };
  fill();
  Qdm00500::DeleteIntPosFiles("c:\\tef_dial\\resp\\", "111");
  EXPECT_EQ(TefState::Files(dial + "/resp"), (std::vector<std::string>{"intpos.2", "intpos.sts", "journal.txt"}));

  fill();
  Qdm00500::DeleteIntPosFiles("c:\\tef_dial\\resp\\", "");
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"journal.txt"});
}

TEST(NetworkRuleTest, OnlyTecBanGoesToTheDiscRoot) {
  struct Case {
    const char* network;
    const char* root;
  } cases[] = {{"TECBAN", "c:\\tef_disc\\"},
               {"tecban", "c:\\tef_dial\\"},
               {"REDECARD", "c:\\tef_dial\\"},
               {"", "c:\\tef_dial\\"},
               {"TECBAN ", "c:\\tef_dial\\"}};
  for (const auto& c : cases) {
    Qdm00500::DirTefPorRede(c.network);
    EXPECT_EQ(Qdm00500::DirTef, c.root) << "'" << c.network << "'";
  }
  Qdm00500::DirTef.clear();
}

}  // namespace
}  // namespace tef_test
