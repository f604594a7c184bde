// The touch dialogs through the presenter in use: scripted answers for
// tests, fixed answers and a log line when nobody is there.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "utility/utility.h"
#include "package/Pkg_Qdm_testing.h"
#include "utility/network_form.h"

namespace {

using platform::mbNone;
using platform::mbOK;
using platform::mbYesNo;
using platform::mrNo;
using platform::mrNone;
using platform::mrOk;
using platform::mrYes;

class PresentersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetDialogLogger([this](const std::string& line) { logged.push_back(line); });
  }
  void TearDown() override {
    platform::SetDialogPresenter(nullptr);
    platform::SetDialogLogger(nullptr);
  }
  std::vector<std::string> logged;
};

TEST_F(PresentersTest, ScriptedRecordsEveryDialogAndAnswersInOrder) {
  auto scripted = std::make_shared<platform::ScriptedPresenter>();
  platform::SetDialogPresenter(scripted);
  scripted->AnswerMany({mrYes, 2});

  EXPECT_EQ(util::TouchMessageDlg("Confirma Leitura X?", 3, mbYesNo), mrYes);
  util::TouchMessage("Aguarde...", 2, mbNone, 0, 5);  // a notice takes no queued answer
  EXPECT_EQ(platform::CurrentDialogPresenter()->Choose(NetworkForm()), 2);
  EXPECT_EQ(util::TouchMessageDlg("Impressora sem papel", 1, mbOK), mrOk);      // queue empty
  EXPECT_EQ(util::TouchMessageDlg("Imprime relat\xF3rio?", 3, mbYesNo), mrNo);  // queue empty

  const auto& seen = scripted->Seen();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].text, "Confirma Leitura X?");
  EXPECT_EQ(seen[0].type, 3);
  EXPECT_EQ(seen[0].buttons, mbYesNo);
  EXPECT_TRUE(seen[0].modal);
  EXPECT_FALSE(seen[1].modal);
  EXPECT_EQ(seen[1].answer, mrNone);
  EXPECT_TRUE(seen[2].choice);
  EXPECT_EQ(seen[2].text, "Cart\xE3o de D\351bito");
  EXPECT_EQ(seen[3].type, 1);
  EXPECT_EQ(seen[3].buttons, mbOK);
  EXPECT_EQ(scripted->Texts(), (std::vector<std::string>{"Confirma Leitura X?", "Aguarde...", "Cart\xE3o de D\351bito",
                                                         "Impressora sem papel", "Imprime relat\xF3rio?"}));
  EXPECT_EQ(scripted->Pending(), 0u);
  EXPECT_EQ(platform::CurrentDialogPresenter()->Choose(NetworkForm()), 0);  // closed
  EXPECT_TRUE(logged.empty());
}

TEST_F(PresentersTest, ScriptedHookRunsWhileTheDialogIsOpen) {
  auto scripted = std::make_shared<platform::ScriptedPresenter>();
  platform::SetDialogPresenter(scripted);
  scripted->AnswerMany({mrYes, mrOk});
  std::vector<std::string> open_when_hooked;
  scripted->on_show = [&](const platform::RecordedDialog& dialog) {
    open_when_hooked.push_back(dialog.text);
    if (dialog.text == "externo") util::TouchMessageDlg("interno", 1, mbOK);
  };
  EXPECT_EQ(util::TouchMessageDlg("externo", 3, mbYesNo), mrYes);
  EXPECT_EQ(open_when_hooked, (std::vector<std::string>{"externo", "interno"}));
  EXPECT_EQ(scripted->Seen()[1].answer, mrOk);
}

TEST_F(PresentersTest, ScriptedHookErrorReachesTheCaller) {
  auto scripted = std::make_shared<platform::ScriptedPresenter>();
  platform::SetDialogPresenter(scripted);
  scripted->on_show = [](const platform::RecordedDialog&) { throw std::runtime_error("boom"); };
  EXPECT_THROW(util::TouchMessageDlg("x", 1, mbOK), std::runtime_error);
}

TEST_F(PresentersTest, UnattendedNeverBlocksAndLogsOneLine) {
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
  EXPECT_EQ(util::TouchMessageDlg("Confirma\r\nRedu\xE7\xE3o Z?", 3, mbYesNo), mrNo);
  EXPECT_EQ(util::TouchMessageDlg("Data diferente", 1, mbOK), mrOk);
  EXPECT_EQ(util::TouchMessageDlg("Sem bot\365es", 2, mbNone), mrNone);
  EXPECT_EQ(platform::CurrentDialogPresenter()->Choose(NetworkForm()), 0);

  ASSERT_EQ(logged.size(), 4u);
  EXPECT_EQ(logged[0], "Dialogo sem operador: Confirma  Redu\xE7\xE3o Z? -> Nao");
  EXPECT_EQ(logged[1], "Dialogo sem operador: Data diferente -> OK");
  EXPECT_NE(logged[3].find("Cart\xE3o de D\351bito"), std::string::npos);
}

TEST_F(PresentersTest, FailingLoggerDoesNotBreakTheDialog) {
  platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
  platform::SetDialogLogger([](const std::string&) { throw std::runtime_error("disco cheio"); });
  EXPECT_EQ(util::TouchMessageDlg("Confirma?", 3, mbYesNo), mrNo);
}

// The default is the unattended presenter, terminal or not: a host with a
// person at a terminal installs the terminal presenter itself.
TEST_F(PresentersTest, NullRestoresTheUnattendedDefault) {
  platform::SetDialogPresenter(std::make_shared<platform::ScriptedPresenter>());
  platform::SetDialogPresenter(nullptr);
  EXPECT_NE(dynamic_cast<platform::UnattendedPresenter*>(platform::CurrentDialogPresenter().get()), nullptr);
}

// A presenter that installs others from inside its own dialog (a front end
// switching to its touch screen while a question is open) must outlive
// that dialog however many times it is replaced.
class SelfReplacing : public platform::DialogPresenter {
 public:
  explicit SelfReplacing(int& shown) : shown_(shown) {}
  int Show(const platform::DialogRequest&) override {
    platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
    platform::SetDialogPresenter(std::make_shared<platform::ScriptedPresenter>());
    ++shown_;
    answer_ = mrYes;  // its own member, after both replacements
    return answer_;
  }
  int Choose(const platform::ChoiceRequest& request) override { return request.close_result; }

 private:
  int& shown_;
  int answer_ = mrNone;
};

TEST_F(PresentersTest, PresenterReplacedTwiceDuringItsDialogLivesUntilItEnds) {
  int shown = 0;
  platform::SetDialogPresenter(std::make_shared<SelfReplacing>(shown));  // held by nobody else
  EXPECT_EQ(util::TouchMessageDlg("Confirma?", 3, mbYesNo), mrYes);
  EXPECT_EQ(shown, 1);
  EXPECT_NE(dynamic_cast<platform::ScriptedPresenter*>(platform::CurrentDialogPresenter().get()), nullptr);
}

}  // namespace
