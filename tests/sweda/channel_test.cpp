// The command channel on the emulated printer: frames and log lines, the
// model translation, busy handling with and without repetition and its
// bound, little paper, refusals and the automatic cancel, the state poll,
// the answer reader's kinds, re-entry and an unbound driver.
#include <gmock/gmock.h>

#include "platform/os/application.h"
#include "sweda_fixture.h"

namespace sweda_test {
namespace {

using Qdm00200::EnviaComando_Sweda;
using Qdm00200::RetornoImpFiscal_Sweda;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ChannelTest = Type3Test;

TEST_F(ChannelTest, FramesAreByteExactAndLogged) {
  ASSERT_TRUE(EnviaComando_Sweda("29", {"5"}, false, true));
  ASSERT_TRUE(EnviaComando_Sweda("13", {"AB", "C"}, true, false));
  ASSERT_TRUE(EnviaComando_Sweda("23", {}, true, false));
  const std::string status("\x1B\x2E\x32\x33\x7D", 5);
  EXPECT_THAT(Frames(), ElementsAre("\x1B.295}", "\x1B.13ABC}", status));
  // Only the status request has its answer logged by the channel.
  EXPECT_THAT(LogLines(), ElementsAre("Comando : \x1B.295}", "Comando : \x1B.13ABC}", "Comando : " + status,
                                      "Retorno da Impressora .+P000C}"));
  EXPECT_FALSE(Qdm00200::boComando);
}

// A busy printer did not take the command: without busy repetition too the
// frame is sent again, and a printer busy to the bound leaves it not done.
TEST_F(ChannelTest, BusyAnswerIsNeverTakenAsDone) {
  printer.HoldBusy(1);
  EXPECT_TRUE(EnviaComando_Sweda("13", {}, true, false));
  EXPECT_THAT(Frames(), ElementsAre(Frame("13"), Frame("13")));
  EXPECT_EQ(Qdm00200::SwedaRet, ".+P000}");
  EXPECT_NE(printer.TapeText().find("LEITURA X"), std::string::npos);

  Mark();
  Qdm00200::SwedaBusyTimeoutMs = 300;
  printer.HoldBusy(-1);
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, false, false));
  EXPECT_GT(Frames().size(), 2u);
  EXPECT_EQ(Qdm00200::SwedaRet, ".-P006ERRO-IMPRESSORA OCUPADA}");
  EXPECT_FALSE(Qdm00200::ImpressoraOK(true, false, false));
  EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! Impressora ocupada"));
  EXPECT_EQ(printer.TapeText(), "");
  // Busy is no refusal to show.
  EXPECT_THAT(Dialogs(), IsEmpty());
  printer.HoldBusy(0);
}

TEST_F(ChannelTest, BusyWithRepetitionSendsTheSameFrameUntilThePrinterTakesIt) {
  const platform::TDateTime before = platform::clock::Now();
  printer.HoldBusy(3);
  EXPECT_TRUE(EnviaComando_Sweda("13", {}, true, true));
  EXPECT_THAT(Frames(), ElementsAre(Frame("13"), Frame("13"), Frame("13"), Frame("13")));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("13"), "Comando : " + Frame("13"),
                                      "Comando : " + Frame("13"), "Comando : " + Frame("13")));
  EXPECT_NE(printer.TapeText().find("LEITURA X"), std::string::npos);
  // Between attempts the library clock moves: no spinning.
  EXPECT_GT(platform::clock::Now(), before);
}

TEST_F(ChannelTest, BusyRepetitionIsBoundedAndThenTheCommandWasNotDone) {
  Qdm00200::SwedaBusyTimeoutMs = 500;
  printer.HoldBusy(-1);
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, true, true));
  const auto frames = Frames();
  EXPECT_GE(frames.size(), 5u);
  EXPECT_LE(frames.size(), 12u);
  const auto log = LogLines();
  EXPECT_THAT(log, ::testing::Contains("ERRO!!! Impressora ocupada"));
  EXPECT_THAT(log, ::testing::Contains("ERRO!!! Comando : " + Frame("13")));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ComandoNExec") + "\r\n.-P006ERRO-IMPRESSORA OCUPADA}"));
  EXPECT_EQ(printer.TapeText(), "");
  printer.HoldBusy(0);
}

TEST_F(ChannelTest, StopFromAMessageDuringABusyWaitEndsTheCommandAsFailed) {
  printer.HoldBusy(-1);
  platform::Application().Queue([] { Qdm00000::StopImpFiscal(); });
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, true, true));
  EXPECT_THAT(Frames(), ElementsAre(Frame("13")));
  EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! DLL nao carregada: EnviaComando"));
  EXPECT_FALSE(Qdm00200::boComando);
  printer.HoldBusy(0);
}

TEST_F(ChannelTest, LittlePaperIsToldEvenUnaskedAndTheCommandSucceeds) {
  printer.SetPaper(1);
  EXPECT_TRUE(EnviaComando_Sweda("17", {}, false, false));
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, Text("PoucoPapel"));
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtInformation);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbOK);
}

TEST_F(ChannelTest, RefusalIsLoggedAndShownWithThePrinterText) {
  printer.Refuse("-P003", "ERRO-FORA DE SEQUENCIA", 1);
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, true, false));
  const std::string answer = ".-P003ERRO-FORA DE SEQUENCIA}";
  EXPECT_THAT(LogLines(),
              ElementsAre("Comando : " + Frame("13"), "ERRO!!! Comando : " + Frame("13"), "ERRO!!! " + answer));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ComandoNExec") + "\r\n" + answer));

  // Unasked, the refusal is only logged.
  Mark();
  printer.Refuse("-P003", "ERRO-FORA DE SEQUENCIA", 1);
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, false, false));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("13"), "ERRO!!! " + answer));
  EXPECT_THAT(Dialogs(), IsEmpty());
}

TEST_F(ChannelTest, UnfinishedOperationIsCancelledAtOnceAndTheCommandStillFails) {
  ASSERT_TRUE(EnviaComando_Sweda("08", {"LINHA"}, true, false));  // a report left open
  Mark();
  EXPECT_FALSE(EnviaComando_Sweda("17", {}, true, false));
  EXPECT_THAT(Frames(), ElementsAre(Frame("17"), "\x1B.05}"));
  EXPECT_EQ(Qdm00200::SwedaRet, ".-P007ERRO-OPERACAO NAO ENCERRADA}");
  EXPECT_EQ(printer.ReportOpen(), 0);
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ComandoNExec") + "\r\n.-P007ERRO-OPERACAO NAO ENCERRADA}"));
}

TEST_F(ChannelTest, TextLineRefusedAsUnfinishedCancelsNothing) {
  ASSERT_TRUE(Qdm00000::AbreCupom(""));
  Mark();
  EXPECT_FALSE(EnviaComando_Sweda("08", {"LINHA"}, false, false));
  EXPECT_THAT(Frames(), ElementsAre(Frame("08", "LINHA")));
  EXPECT_EQ(printer.CouponOpen(), 1);
  EXPECT_THAT(LogLines(),
              ElementsAre("Comando : " + Frame("08", "LINHA"), "ERRO!!! .-P007ERRO-OPERACAO NAO ENCERRADA}"));
}

TEST_F(ChannelTest, StatePollFollowsEveryCommandOnlyWhenTheHostAsks) {
  ASSERT_TRUE(EnviaComando_Sweda("13", {}, true, false));
  EXPECT_THAT(Frames(), ElementsAre(Frame("13")));

  Qdm00200::SwedaVerifRetorno = true;
  struct Case {
    std::vector<const char*> script;
    std::size_t polls;
  };
  const std::vector<Case> cases = {
      {{}, 1},                              // "C LIVRE ": done at once
      {{"I IMPRIM", "I IMPRIM"}, 3},        // printing: asked again
      {{"-P002"}, 2},                       // tolerated in the first poll
      {{"I IMPRIM", "-P002"}, 2},           // not in a later one
      {{"-P006", "-P006", "P VENDAS"}, 3},  // busy: asked again; "P" ends it
      {{"-P001"}, 1},                       // any other refusal ends it
  };
  for (const Case& c : cases) {
    Mark();
    for (const char* answer : c.script) printer.QueueState(answer);
    ASSERT_TRUE(EnviaComando_Sweda("23", {}, true, false));
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 1 + c.polls) << c.script.size();
    for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_EQ(frames[i], "\x1B.28}");
    // The poll never replaces the command's own answer.
    EXPECT_EQ(Qdm00200::SwedaRet, ".+P000C}");
  }
}

TEST_F(ChannelTest, StatePollIsBoundedOnTheLibraryClock) {
  Qdm00200::SwedaVerifRetorno = true;
  Qdm00200::SwedaPollTimeoutMs = 200;
  for (int i = 0; i < 50; ++i) printer.QueueState("I IMPRIM");
  EXPECT_TRUE(EnviaComando_Sweda("13", {}, true, false));
  EXPECT_LE(Frames().size(), 8u);
  EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! Impressora nao concluiu o comando"));
}

TEST_F(ChannelTest, AnswerReaderKinds) {
  // Drawer: position 6 "0" reads "000", anything else "001".
  printer.SetDrawerOpen(1);
  ASSERT_TRUE(Qdm00200::Estado_Gaveta_Sweda(true, false));
  EXPECT_EQ(RetornoImpFiscal_Sweda("22", true), "001");
  printer.SetDrawerOpen(0);
  ASSERT_TRUE(Qdm00200::Estado_Gaveta_Sweda(true, false));
  EXPECT_EQ(RetornoImpFiscal_Sweda("22", true), "000");
  Qdm00200::SwedaRet.clear();
  EXPECT_EQ(RetornoImpFiscal_Sweda("22", true), "001");

  // Coupon data already in the answer: nothing more is sent.
  ASSERT_TRUE(EnviaComando_Sweda("17", {}, true, false));
  ASSERT_TRUE(Qdm00200::Numero_Cupom_Sweda());
  Mark();
  EXPECT_EQ(RetornoImpFiscal_Sweda("27", true), "0001");
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_THAT(LogLines(), ElementsAre("Retorno da Impressora 0001"));

  // Any other kind: the whole answer.
  EXPECT_EQ(RetornoImpFiscal_Sweda("", true), Qdm00200::SwedaRet);

  // Another answer: "27" is asked for, up to three times; a refusal's text
  // never passes for a number.
  Qdm00200::SwedaRet = ".+P000}";
  printer.Refuse("-P010", "ERRO-MEMORIA FISCAL", -1);
  Mark();
  EXPECT_EQ(RetornoImpFiscal_Sweda("27", true), "");
  EXPECT_EQ(Frames().size(), 3u);
  printer.Refuse("", "", 0);
}

TEST_F(ChannelTest, CommandStartedWhileAnotherIsInProgressIsRefusedUnsent) {
  bool inner = true;
  sandbox.dialogs->on_show = [&inner](const platform::RecordedDialog&) {
    inner = EnviaComando_Sweda("23", {}, true, false);
  };
  printer.Refuse("-P003", "ERRO-FORA DE SEQUENCIA", 1);
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, true, false));
  EXPECT_FALSE(inner);
  EXPECT_THAT(Frames(), ElementsAre(Frame("13")));
  EXPECT_FALSE(Qdm00200::boComando);
}

TEST_F(ChannelTest, SilentPrinterIsAFailureNeverASuccess) {
  printer.SetSilent(1);
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, false, false));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("13"), "ERRO!!! Impressora sem resposta"));
  EXPECT_FALSE(EnviaComando_Sweda("13", {}, true, false));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ComandoNExec") + "\r\n"));
  printer.SetSilent(0);
}

TEST_F(ChannelTest, UnboundDriverAnswersFalseWithoutTouchingTheLibrary) {
  Qdm00200::StopImpFis_Sweda();
  EXPECT_FALSE(EnviaComando_Sweda("23", {}, true, false));
  EXPECT_FALSE(Qdm00000::Leitura_X(""));
  EXPECT_FALSE(Qdm00000::AbrePorta("COM1"));
  Qdm00200::SwedaRet = ".-P007ERRO-OPERACAO NAO ENCERRADA}";
  EXPECT_FALSE(Qdm00200::ImpressoraOK(false, false, false));
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_THAT(LogLines(), ::testing::Contains("ERRO!!! DLL nao carregada: EnviaComando"));
}

// ---- Every model ------------------------------------------------------------

struct Translation {
  const char* given;
  const char* sent[4];  // types 3, 4, 5, 6
};

TEST_P(EveryModelTest, CodesAreTranslatedForTheModel) {
  const Translation table[] = {
      {"22", {"22", "43", "43", "43"}},
      {"21", {"21", "42", "42", "42"}},
      {"12SN", {"12SN", "12SN", "12N", "12N"}},
      {"23", {"23", "23", "23", "23"}},
  };
  for (const Translation& t : table) {
    Mark();
    EXPECT_TRUE(EnviaComando_Sweda(t.given, {}, true, false)) << t.given;
    EXPECT_THAT(Frames(), ElementsAre(Frame(t.sent[Tipo() - 3]))) << t.given;
  }
  // The printer knows only its own codes and closing flags.
  if (Tipo() == 3) {
    EXPECT_FALSE(EnviaComando_Sweda("43", {}, false, false));
    EXPECT_EQ(Qdm00200::SwedaRet, ".-P001ERRO-COMANDO INEXISTENTE}");
  }
  if (Tipo() <= 4) {
    EXPECT_FALSE(EnviaComando_Sweda("12N", {}, false, false));
    EXPECT_EQ(Qdm00200::SwedaRet, ".-P002ERRO-PARAMETRO INVALIDO}");
  }
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModelTest, ::testing::Values(3, 4, 5, 6));

}  // namespace
}  // namespace sweda_test
