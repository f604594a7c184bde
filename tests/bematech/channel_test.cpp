// The command channel: frames on the wire, log lines, argument cleaning,
// re-entry, the busy poll, refused transmissions and an unbound driver.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/application.h"

namespace bematech_test {
namespace {

using Qdm00100::EnviaComando_Bematech;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ChannelTest = DriverTest;

TEST_F(ChannelTest, FramesAreByteExactAndLogged) {
  ASSERT_TRUE(EnviaComando_Bematech("19", {}, true, false));
  ASSERT_TRUE(EnviaComando_Bematech("35", {"27"}, false, false));
  ASSERT_TRUE(EnviaComando_Bematech("22|255", {}, false, false));

  const std::string status("\x1B\x7C\x31\x39\x7C\x1B", 6);
  const std::string variable("\x1B\x7C\x33\x35\x7C\x32\x37\x7C\x1B", 9);
  EXPECT_THAT(Frames(), ElementsAre(status, variable, "\x1B|22|255|\x1B"));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + status, "Comando : " + variable, "Comando : \x1B|22|255|\x1B"));
  EXPECT_FALSE(Qdm00100::boComando);
}

TEST_F(ChannelTest, AnswerReaderTrimsOrKeepsTheRawBuffer) {
  ASSERT_TRUE(EnviaComando_Bematech("35", {"14"}, false, false));
  const std::string trimmed = Qdm00100::RetornoImpFiscal_Bematech("", true);
  const std::string raw = Qdm00100::RetornoImpFiscal_Bematech("", false);
  EXPECT_FALSE(trimmed.empty());
  EXPECT_EQ(raw.size(), 3000u);
  EXPECT_EQ(raw.substr(0, trimmed.size()), trimmed);
  EXPECT_EQ(LogLines().back(), "Retorno da Impressora " + raw);

  // The service-rate map is two raw bytes, zero bytes included.
  printer.SetRates("1800T,0500S");
  ASSERT_TRUE(EnviaComando_Bematech("35", {"29"}, false, false));
  EXPECT_EQ(Qdm00100::RetornoImpFiscal_Bematech("3529", true), std::string("\x40\x00", 2));
  printer.SetRates("1800T");
  ASSERT_TRUE(EnviaComando_Bematech("35", {"29"}, false, false));
  EXPECT_EQ(Qdm00100::RetornoImpFiscal_Bematech("3529", true), std::string(2, '\0'));
}

TEST_F(ChannelTest, SeparatorAndEscapeInsideAnArgumentNeverSplitTheFrame) {
  ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
  Mark();
  ASSERT_TRUE(Qdm00100::VendaItem_Bematech("1", "CAFE|LEITE\033GRANDE", "FF", 1, 2.5, 0));
  EXPECT_THAT(Frames(),
              ElementsAre(Frame("09", {"0000000000001", "CAFE/LEITE GRANDE", "FF", "0001", "00000250", "0000"})));
  EXPECT_THAT(Dialogs(), IsEmpty());
}

TEST_F(ChannelTest, CommandStartedWhileAnotherIsInProgressIsRefusedUnsent) {
  bool inner = true;
  sandbox.dialogs->on_show = [&inner](const platform::RecordedDialog&) {
    inner = EnviaComando_Bematech("19", {}, true, false);
  };
  printer.ForceStatus(0, 1, 1);  // command not executed: one dialog

  EXPECT_FALSE(EnviaComando_Bematech("06", {}, true, false));
  EXPECT_FALSE(inner);
  EXPECT_THAT(Frames(), ElementsAre(Frame("06")));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("06"), "ERRO!!! " + Text("ComandoNExec")));
  EXPECT_FALSE(Qdm00100::boComando);
}

TEST_F(ChannelTest, GuardIsReleasedWhenADialogRaises) {
  sandbox.dialogs->on_show = [](const platform::RecordedDialog&) { throw std::runtime_error("dialog failed"); };
  printer.ForceStatus(0, 1, 1);
  EXPECT_THROW(EnviaComando_Bematech("06", {}, true, false), std::runtime_error);
  EXPECT_FALSE(Qdm00100::boComando);
  sandbox.dialogs->on_show = nullptr;
  EXPECT_TRUE(EnviaComando_Bematech("19", {}, true, false));
}

TEST_F(ChannelTest, BusyPrinterIsPolledWithBareStatusFramesThenJudged) {
  printer.HoldBusy(3);
  EXPECT_TRUE(EnviaComando_Bematech("06", {}, true, false));
  const std::string poll = "\x1B|19|\x1B";
  EXPECT_THAT(Frames(), ElementsAre(Frame("06"), poll, poll, poll));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("06")));
  EXPECT_THAT(Dialogs(), IsEmpty());
}

TEST_F(ChannelTest, BusyPollIsBoundedAndTheStatusJudgedAsItStands) {
  Qdm00100::MaxBusyPolls = 5;
  const platform::TDateTime before = platform::clock::Now();
  printer.HoldBusy(1000);

  EXPECT_FALSE(EnviaComando_Bematech("06", {}, true, false));
  EXPECT_EQ(Frames().size(), 1u + 5u);
  // The polls wait on the library clock, never spinning.
  EXPECT_GT(platform::clock::Now(), before);
  EXPECT_THAT(LogLines(),
              ElementsAre("Comando : " + Frame("06"), "ERRO!!! Impressora ocupada", "ERRO!!! " + Text("MemLotada")));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("MemLotada")));
  printer.HoldBusy(0);
}

TEST_F(ChannelTest, StopFromAHandlerWhileThePrinterIsBusyEndsTheCommandAsFailed) {
  // The front end's handler runs while the channel processes messages in
  // its busy wait; it stops the printer through the facade or the driver.
  Qdm00000::stPorta = "COM1";
  const std::vector<std::string> poll_log{"Comando : " + Frame("06")};
  struct Case {
    const char* how;
    void (*stop)();
    std::vector<std::string> stop_log;
  };
  const Case cases[] = {
      {"facade",
       [] { Qdm00000::StopImpFiscal(); },
       {"Fechando porta", "Fechando porta COM1", "Descarregando DLL Impressora Fiscal"}},
      {"driver", [] { Qdm00100::StopImpFiscal_Bematech(); }, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.how);
    Qdm00000::SetImpFiscalOK(true);
    Mark();
    printer.HoldBusy(5);
    platform::Application().Queue(k.stop);

    EXPECT_FALSE(EnviaComando_Bematech("06", {}, true, false));
    EXPECT_FALSE(Qdm00100::boComando);
    EXPECT_EQ(Qdm00100::BemaFormataTX, nullptr);
    // No poll went out after the stop, and nothing was judged.
    EXPECT_THAT(Frames(), ElementsAre(Frame("06")));
    std::vector<std::string> expected = poll_log;
    expected.insert(expected.end(), k.stop_log.begin(), k.stop_log.end());
    expected.push_back("ERRO!!! Impressora parada durante o comando : " + Frame("06"));
    EXPECT_EQ(LogLines(), expected);
    EXPECT_THAT(Dialogs(), IsEmpty());

    // The next command is refused unsent; a new start works again.
    EXPECT_FALSE(EnviaComando_Bematech("19", {}, true, false));
    printer.HoldBusy(0);
    ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
    EXPECT_TRUE(EnviaComando_Bematech("19", {}, true, false));
  }
}

TEST_F(ChannelTest, RefusedTransmissionIsLoggedAndReportedOnce) {
  // The status the library then gives is that of the command before.
  ASSERT_TRUE(EnviaComando_Bematech("19", {}, true, false));
  Mark();
  printer.RefuseTransmission(1);
  EXPECT_FALSE(EnviaComando_Bematech("06", {}, true, false));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("06"), "ERRO!!! Comando : " + Frame("06")));
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, Text("ErroComando"));
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbOK);

  // Untold, it is still a failure.
  ASSERT_TRUE(EnviaComando_Bematech("19", {}, true, false));
  Mark();
  printer.RefuseTransmission(1);
  EXPECT_FALSE(EnviaComando_Bematech("06", {}, false, false));
  EXPECT_THAT(Dialogs(), IsEmpty());
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("06"), "ERRO!!! Comando : " + Frame("06")));
}

class UnboundDriverTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    Qdm00100::StopImpFiscal_Bematech();
  }
};

TEST_F(UnboundDriverTest, EveryPortAndCommandOperationAnswersFalseWithoutCalling) {
  EXPECT_FALSE(EnviaComando_Bematech("19", {}, true, false));
  EXPECT_FALSE(Qdm00100::ImpressoraOK(true, false, false));
  EXPECT_EQ(Qdm00100::RetornoImpFiscal_Bematech("", true), "");
  EXPECT_FALSE(Qdm00100::AbrePorta_Bematech("COM1"));
  EXPECT_FALSE(Qdm00100::FechaPorta_Bematech());
  EXPECT_FALSE(Qdm00100::Leitura_X_Bematech(""));

  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_THAT(Dialogs(), IsEmpty());
  EXPECT_THAT(LogLines(),
              ElementsAre("ERRO!!! DLL nao carregada: FormataTX", "ERRO!!! DLL nao carregada: Status_Mp20FI",
                          "ERRO!!! DLL nao carregada: Le_Variaveis", "ERRO!!! DLL nao carregada: IniPortaStr",
                          "ERRO!!! DLL nao carregada: FechaPorta", "ERRO!!! DLL nao carregada: FormataTX"));
}

TEST_F(UnboundDriverTest, ANewStartBindsAgainWithoutReloading) {
  const platform::HMODULE handle = Qdm00100::ImpFisDLLHandle;
  ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  EXPECT_EQ(Qdm00100::ImpFisDLLHandle, handle);
  EXPECT_TRUE(EnviaComando_Bematech("19", {}, true, false));
}

}  // namespace
}  // namespace bematech_test
