// The card-network choice: when the form is shown, its caption and options,
// every way of closing it, and the root it selects.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/dialogs/dialogs.h"
#include "tef/Qdm00500.h"
#include "tef/TfrmCartaoDebito.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

const char* const kDebit = "Cart\xE3o de D\351bito";

// Answers a choice form as scripted and keeps what it was shown.
class ChoiceRecorder : public platform::ScriptedPresenter {
 public:
  int Choose(const platform::ChoiceRequest& request) override {
    requests.push_back(request);
    return ScriptedPresenter::Choose(request);
  }
  std::vector<platform::ChoiceRequest> requests;
};

class NetworkChoiceTest : public TefTest {
 protected:
  NetworkChoiceTest() : recorder(std::make_shared<ChoiceRecorder>()) { platform::SetDialogPresenter(recorder); }
  std::shared_ptr<ChoiceRecorder> recorder;
};

TEST_F(NetworkChoiceTest, FormAnswersForEveryTypeAndEveryWayOfClosing) {
  tef.MakeRoot("tef_disc");
  struct Close {
    const char* name;
    int answer;  // -1: the close box (no scripted answer)
    const char* choice;
    const char* root;
    bool goes_on;
  } closes[] = {
      {"TecBan", 1, "1", "c:\\tef_disc\\", true},
      {"other networks", 2, "2", "c:\\tef_dial\\", true},
      {"quit or Esc", 9, "9", "c:\\tef_disc\\", false},
      {"close box", -1, "0", "c:\\tef_disc\\", true},
  };
  struct Type {
    const char* tipo;
    const char* caption;
  } types[] = {
      {"D", kDebit}, {"Q", "Consulta de Cheque"}, {"A", "Fun\xE7\365es Administrativas"}, {"X", kDebit}, {"", kDebit}};
  for (const auto& t : types) {
    for (const auto& c : closes) {
      SCOPED_TRACE(testing::Message() << "'" << t.tipo << "' " << c.name);
      for (bool through_check : {false, true}) {
        recorder->requests.clear();
        Qdm00500::DirTef.clear();
        if (c.answer >= 0) recorder->Answer(c.answer);
        if (through_check) {
          EXPECT_EQ(Qdm00500::CheckDirTef(t.tipo), c.goes_on);
          EXPECT_EQ(Qdm00500::DirTef, c.root);
        } else {
          EXPECT_EQ(Qdm00500::TipoRede(t.tipo), c.choice);
          EXPECT_EQ(Qdm00500::DirTef, "");
        }
        ASSERT_EQ(recorder->requests.size(), 1u);
        EXPECT_EQ(recorder->requests[0].caption, t.caption);
      }
    }
  }
}

TEST_F(NetworkChoiceTest, FormOffersThreeButtonsWithTheirAccelerators) {
  tef.MakeRoot("tef_disc");
  Qdm00500::TipoRede("D");
  ASSERT_EQ(recorder->requests.size(), 1u);
  const auto& form = recorder->requests[0];
  EXPECT_EQ(form.prompt, "Escolha a Rede Desejada");
  EXPECT_EQ(form.close_result, 0);
  ASSERT_EQ(form.options.size(), 3u);
  struct Expected {
    char key;
    const char* caption;
    const char* description;
    int result;
    bool cancel;
  } expected[] = {{'1', "&1", "TecBan", 1, false},
                  {'2', "&2", "Outras redes", 2, false},
                  {'9', "&9 - Encerra", "Encerra", 9, true}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(form.options[i].accelerator, expected[i].key);
    EXPECT_EQ(form.options[i].caption, expected[i].caption);
    EXPECT_EQ(form.options[i].description, expected[i].description);
    EXPECT_EQ(form.options[i].result, expected[i].result);
    EXPECT_EQ(form.options[i].cancel, expected[i].cancel);
  }
}

TEST_F(NetworkChoiceTest, NoFormWithoutTecBanOrForACheckOperation) {
  struct Case {
    const char* tipo;
    bool tecban_installed;
  } cases[] = {{"D", false}, {"A", false}, {"C", false}, {"C", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tipo << " " << c.tecban_installed);
    if (c.tecban_installed) tef.MakeRoot("tef_disc");
    EXPECT_EQ(Qdm00500::TipoRede(c.tipo), "2");
    EXPECT_TRUE(Qdm00500::CheckDirTef(c.tipo));
    EXPECT_EQ(Qdm00500::DirTef, "c:\\tef_dial\\");
  }
  EXPECT_TRUE(recorder->requests.empty());
}

TEST(CardNetworkFormTest, ClicksSetTheChoiceAndCloseTheForm) {
  struct Case {
    void (Qdm00500::TfrmCartaoDebito::*click)();
    int choice;
  } cases[] = {{&Qdm00500::TfrmCartaoDebito::btnTecBanClick, 1},
               {&Qdm00500::TfrmCartaoDebito::imgTecBanClick, 1},
               {&Qdm00500::TfrmCartaoDebito::btnOutrosClick, 2},
               {&Qdm00500::TfrmCartaoDebito::imgOutrosClick, 2},
               {&Qdm00500::TfrmCartaoDebito::bbtEncerraClick, 9}};
  for (const auto& c : cases) {
    Qdm00500::TfrmCartaoDebito form;
    EXPECT_EQ(form.Choice, 0);
    (form.*c.click)();
    EXPECT_EQ(form.Choice, c.choice);
    EXPECT_TRUE(form.Closed);
  }
}

// The logos kept with the sources for a presenter that shows pictures, and
// the size the form shows them at.
TEST(CardNetworkFormTest, LogosAre180By61TrueColourBitmaps) {
  const Qdm00500::TfrmCartaoDebito form;
  for (const auto* image : {&form.imgTecBan, &form.imgOutros}) {
    EXPECT_EQ(image->Width, 180);
    EXPECT_EQ(image->Height, 53);
  }
  for (const char* picture : {"tef/logos/tecban.bmp", "tef/logos/outras_redes.bmp"}) {
    SCOPED_TRACE(picture);
    std::ifstream file(std::string(QDM_SOURCE_DIR) + "/" + picture, std::ios::binary);
    ASSERT_TRUE(file);
    unsigned char header[54] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const auto u32 = [&](int at) {
      return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | header[at + 3] << 24;
    };
    EXPECT_EQ(header[0], 'B');
    EXPECT_EQ(header[1], 'M');
    EXPECT_EQ(u32(18), 180);
    EXPECT_EQ(u32(22), 61);
    EXPECT_EQ(header[28], 24);
    EXPECT_EQ(u32(2), 54 + 180 * 3 * 61);
  }
}

}  // namespace
}  // namespace tef_test
