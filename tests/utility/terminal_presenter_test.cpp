// The terminal presenter driven through pipes as if an operator typed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "utility/network_form.h"

namespace {

using platform::mbOK;
using platform::mbYesNo;
using platform::mrNo;
using platform::mrOk;
using platform::mrYes;

class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(in_), 0);
    ASSERT_EQ(pipe(out_), 0);
    platform::SetDialogLogger([this](const std::string& line) { logged.push_back(line); });
  }
  void TearDown() override {
    for (int fd : {in_[0], in_[1], out_[0], out_[1]}) {
      if (fd >= 0) close(fd);
    }
    platform::SetDialogLogger(nullptr);
  }

  // The operator's keystrokes, then end of input.
  platform::TerminalPresenter Typed(const std::string& keys) {
    EXPECT_EQ(write(in_[1], keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    close(in_[1]);
    in_[1] = -1;
    return platform::TerminalPresenter(in_[0], out_[1]);
  }

  std::string Screen() {
    close(out_[1]);
    out_[1] = -1;
    std::string all;
    char buffer[4096];
    ssize_t n;
    while ((n = read(out_[0], buffer, sizeof buffer)) > 0) all.append(buffer, n);
    return all;
  }

  static int Ask(platform::TerminalPresenter presenter, const std::string& text, int buttons,
                 int type = platform::mtConfirmation) {
    platform::DialogRequest request;
    request.text = text;
    request.type = type;
    request.buttons = buttons;
    return presenter.Show(request);
  }

  int in_[2] = {-1, -1};
  int out_[2] = {-1, -1};
  std::vector<std::string> logged;
};

struct YesNoCase {
  const char* name;
  std::string keys;
  int expected;
};

void PrintTo(const YesNoCase& c, std::ostream* os) { *os << c.name; }

class TerminalYesNoTest : public TerminalTest, public ::testing::WithParamInterface<YesNoCase> {};

TEST_P(TerminalYesNoTest, AnswersTheQuestion) {
  EXPECT_EQ(Ask(Typed(GetParam().keys), "Confirma Redu\xE7\xE3o Z?", mbYesNo), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TerminalYesNoTest,
    ::testing::Values(YesNoCase{"LowerS", "s\n", mrYes}, YesNoCase{"UpperY", "Y\n", mrYes},
                      YesNoCase{"UpperNWithCrLf", "N\r\n", mrNo}, YesNoCase{"InvalidThenN", "talvez\n\nn\n", mrNo},
                      YesNoCase{"EndOfInput", "", mrNo}, YesNoCase{"LineWithoutEnd", "s", mrYes},
                      YesNoCase{"OnlyNoise", std::string(200, 'x') + "\nq\nq\nq\nq\nq\nq\nq\nq\nq\nq\ns\n", mrNo}),
    [](const ::testing::TestParamInfo<YesNoCase>& info) { return info.param.name; });

TEST_F(TerminalTest, ShowsTheTextInUtf8WithItsTypeAndReasksOnNonsense) {
  EXPECT_EQ(Ask(Typed("x\ns\n"), "Confirma Redu\xE7\xE3o Z?", mbYesNo), mrYes);
  const std::string screen = Screen();
  EXPECT_NE(screen.find("CONFIRMACAO"), std::string::npos);
  EXPECT_NE(screen.find("Confirma Redu\xC3\xA7\xC3\xA3o Z?"), std::string::npos);
  EXPECT_EQ(screen.find('\xE7'), std::string::npos);  // no Windows-1252 byte left
  EXPECT_NE(screen.find("inv\xC3\xA1lida"), std::string::npos);
  EXPECT_TRUE(logged.empty());
}

TEST_F(TerminalTest, OkWaitsForEnterAndEndOfInputIsLogged) {
  EXPECT_EQ(Ask(Typed("\n"), "Impressora sem papel", mbOK, platform::mtError), mrOk);
  EXPECT_NE(Screen().find("ERRO"), std::string::npos);
  EXPECT_TRUE(logged.empty());
}

TEST_F(TerminalTest, EndOfInputAnswersLikeNobodyIsThere) {
  EXPECT_EQ(Ask(Typed(""), "Data diferente", mbOK, platform::mtError), mrOk);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0], "Dialogo sem operador: Data diferente -> OK");
}

TEST_F(TerminalTest, NoticeReadsNothing) {
  platform::TerminalPresenter presenter = Typed("s\n");
  platform::DialogRequest notice;
  notice.text = "Aguarde";
  notice.buttons = platform::mbNone;
  notice.modal = false;
  presenter.Show(notice);
  EXPECT_EQ(Ask(presenter, "Confirma?", mbYesNo), mrYes);  // the key is still there
}

struct ChoiceCase {
  const char* name;
  std::string keys;
  int expected;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class TerminalChoiceTest : public TerminalTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(TerminalChoiceTest, PicksTheOption) {
  EXPECT_EQ(Typed(GetParam().keys).Choose(NetworkForm()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, TerminalChoiceTest,
                         ::testing::Values(ChoiceCase{"Other", "2\n", 2}, ChoiceCase{"TecBan", " 1 \n", 1},
                                           ChoiceCase{"Quit", "9\n", 9}, ChoiceCase{"EscWord", "ESC\n", 9},
                                           ChoiceCase{"EscByte", "\x1B\n", 9},
                                           ChoiceCase{"CloseWithoutChoice", "0\n", 0}, ChoiceCase{"CloseX", "x\n", 0},
                                           ChoiceCase{"InvalidThenOther", "5\n\x1B[A\n2\n", 2},
                                           ChoiceCase{"EndOfInput", "", 0}),
                         [](const ::testing::TestParamInfo<ChoiceCase>& info) { return info.param.name; });

TEST_F(TerminalTest, ChoiceMenuListsEveryWayOut) {
  EXPECT_EQ(Typed("2\n").Choose(NetworkForm()), 2);
  const std::string screen = Screen();
  for (const char* line : {"Cart\xC3\xA3o de D\xC3\251bito", "Escolha a Rede Desejada", "1 - TecBan\n",
                           "2 - Outras redes\n", "9 - Encerra\n", "Esc - Encerra\n", "0 - Fechar sem escolher\n"}) {
    EXPECT_NE(screen.find(line), std::string::npos) << line;
  }
}

TEST_F(TerminalTest, ClosedScreenDoesNotKillTheProcess) {
  close(out_[0]);
  out_[0] = -1;
  EXPECT_EQ(Ask(Typed("s\n"), "Confirma?", mbYesNo), mrYes);
}

}  // namespace
