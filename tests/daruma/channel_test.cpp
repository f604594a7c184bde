// The command channel on both models: frames byte for byte, the model
// translation, the stable-answer rule, the tolerated error codes, the
// drawer reading, and a driver without its library.
#include <gmock/gmock.h>

#include "daruma_fixture.h"

namespace daruma_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct FrameCase {
  int tipo;
  unsigned char command;
  std::vector<std::string> parametros;
  std::string frame;
};

class FrameTest : public DarumaTest, public ::testing::WithParamInterface<FrameCase> {
 protected:
  FrameTest() : DarumaTest(GetParam().tipo) {}
};

TEST_P(FrameTest, CommandGoesOutAsTheModelFramesIt) {
  Start();
  const FrameCase& c = GetParam();
  Qdm00300::EnviaComando_Daruma(Byte(c.command), c.parametros, false, false);
  EXPECT_THAT(Frames(), ElementsAre(c.frame));
}

INSTANTIATE_TEST_SUITE_P(
    BothModelsTest, FrameTest,
    ::testing::Values(
        // The status request: 0x1D and the model's status byte.
        FrameCase{7, 0xFF, {}, Byte(0x1D) + Byte(0xFF)}, FrameCase{8, 0xFF, {}, Byte(0x1D) + Byte(0x05)},
        // A 0x05 given directly goes bare.
        FrameCase{7, 0x05, {}, Byte(0x05)}, FrameCase{8, 0x05, {}, Byte(0x05)},
        // Each byte translated once: 0xF2 becomes 0xDB, never 0xD3.
        FrameCase{7, 0xF2, {"P", "000000002550", Byte(0xFF)}, kEsc + Byte(0xF2) + "P000000002550" + Byte(0xFF)},
        FrameCase{8, 0xF2, {"P", "000000002550", Byte(0xFF)}, kEsc + Byte(0xDB) + "P000000002550" + Byte(0xFF)},
        FrameCase{7, 0xDB, {}, kEsc + Byte(0xDB)}, FrameCase{8, 0xDB, {}, kEsc + Byte(0xD3)},
        FrameCase{8, 0xF3, {"0000"}, kEsc + Byte(0xC9) + "0000"}, FrameCase{8, 0xE4, {}, kEsc + Byte(0x14)},
        FrameCase{8, 0xE5, {}, kEsc + Byte(0xEB)},
        // Type 8 sends 0xD5's parameters alone.
        FrameCase{7, 0xD5, {"LINHA ", "1"}, kEsc + Byte(0xD5) + "LINHA 1"},
        FrameCase{8, 0xD5, {"LINHA ", "1"}, "LINHA 1"},
        // Other bytes are the same on both.
        FrameCase{7, 0xC8, {}, kEsc + Byte(0xC8)}, FrameCase{8, 0xC8, {}, kEsc + Byte(0xC8)}));

using ChannelTest = BothModelsTest;

TEST_P(ChannelTest, PortStringIsThePortTableEntryAtNineThousandSixHundred) {
  Qdm00000::DataModule().IdPortaImpFis = 3;
  Start();
  EXPECT_EQ(printer.Port(), "COM3:9600,N,8,1");
  EXPECT_EQ(printer.PortOpen(), 1);
}

TEST_P(ChannelTest, PortIndexZeroIsComOneAsAtTheFacadesPortOpening) {
  ASSERT_EQ(Qdm00000::DataModule().IdPortaImpFis, 0);
  Start();
  EXPECT_EQ(printer.Port(), "COM1:9600,N,8,1");
  EXPECT_EQ(Qdm00000::DataModule().IdPortaImpFis, 1);
}

TEST_P(ChannelTest, AnswerStillArrivingIsReadAgainUntilTwoReadsAgree) {
  Start();
  printer.HoldBusy(4);  // two tries of two reads each see it change
  EXPECT_TRUE(Qdm00300::EnviaComando_Daruma(Byte(0xE6), {}, false, false));
  EXPECT_EQ(printer.AnswerReads(), 6);
  EXPECT_EQ(Qdm00300::DarumaRet, ":0101226140000");
  EXPECT_FALSE(Logged("ERRO!!!"));
}

TEST_P(ChannelTest, AnswerThatNeverSettlesIsNeverTakenForDone) {
  Start();
  ASSERT_TRUE(Qdm00300::EnviaComando_Daruma(Byte(0xE6), {}, false, false));
  const std::string before = Qdm00300::DarumaRet;
  Mark();
  printer.HoldBusy(100);
  EXPECT_FALSE(Qdm00300::EnviaComando_Daruma(Byte(0xC8), {}, false, false));
  // Five tries of two reads, a pause on the library clock between tries.
  EXPECT_EQ(printer.AnswerReads(), 10);
  // No two reads agreed: the answer is still the one before, and decides nothing.
  EXPECT_EQ(Qdm00300::DarumaRet, before);
  EXPECT_TRUE(Logged("ERRO!!! Resposta instavel da impressora: "));
  printer.HoldBusy(0);
}

TEST_P(ChannelTest, EmptyAnswerIsNeverTakenForDone) {
  Start();
  printer.AnswerNothing(0, 1);
  EXPECT_FALSE(Qdm00300::EnviaComando_Daruma(Byte(0xE6), {}, false, false));
  EXPECT_EQ(Qdm00300::DarumaRet, "");
  EXPECT_TRUE(Logged("ERRO!!! Resposta vazia da impressora: "));
  // The next answer is judged on its own.
  EXPECT_TRUE(Qdm00300::EnviaComando_Daruma(Byte(0xE6), {}, false, false));
}

TEST_P(ChannelTest, FrameTheLibraryRefusesFailsAndLeavesNoStaleAnswer) {
  Start();
  ASSERT_TRUE(Qdm00300::EnviaComando_Daruma(Byte(0xE6), {}, false, false));
  Mark();
  printer.RefuseTransmission(1);
  EXPECT_FALSE(Qdm00300::EnviaComando_Daruma(Byte(0xC8), {}, false, false));
  EXPECT_EQ(printer.AnswerReads(), 0);
  EXPECT_EQ(Qdm00300::DarumaRet, "");
  EXPECT_TRUE(Logged("ERRO!!! Comando nao enviado (erro 1): "));
  EXPECT_EQ(printer.OpenDocument(), 0);
}

TEST_P(ChannelTest, ToleratedErrorCodesDoNotFailTheCommand) {
  Start();
  const struct {
    int code;
    bool ok;
  } cases[] = {{21, true}, {40, true}, {43, true}, {61, true}, {10, false}, {1, false}, {30, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    printer.AnswerError(c.code, 1);
    EXPECT_EQ(Qdm00300::EnviaComando_Daruma(Byte(0xE6), {}, false, false), c.ok);
    EXPECT_EQ(Qdm00300::ImpressoraOK(false, false, false), c.ok);
  }
  // Judged on the answer text alone: short answers are fine.
  for (const auto& [answer, ok] : std::vector<std::pair<std::string, bool>>{
           {"", true}, {":", true}, {":E", false}, {":E4", false}, {":E40", true}, {"XE10", false}}) {
    Qdm00300::DarumaRet = answer;
    EXPECT_EQ(Qdm00300::ImpressoraOK(true, true, true), ok) << answer;
  }
}

TEST_P(ChannelTest, DrawerReadingFromTheStatusAnswer) {
  Start();
  for (const auto& [open, flag] : std::vector<std::pair<int, std::string>>{{1, "001"}, {0, "000"}}) {
    printer.SetDrawerOpen(open);
    EXPECT_TRUE(Qdm00000::Estado_Gaveta(false, false));
    EXPECT_EQ(Qdm00000::RetornoImpFiscal(Byte(0xFF), false), flag);
  }
  // Any other command reads the whole answer, logged.
  Mark();
  EXPECT_EQ(Qdm00000::RetornoImpFiscal("", false), Qdm00300::DarumaRet);
  EXPECT_THAT(LogLines(), ElementsAre("Retorno da Impressora " + Qdm00300::DarumaRet));
}

TEST_P(ChannelTest, ReenteredCommandIsRefusedUnsent) {
  Start();
  Qdm00300::boComando = true;
  EXPECT_FALSE(Qdm00300::EnviaComando_Daruma(Byte(0xFF), {}, false, false));
  Qdm00300::boComando = false;
  EXPECT_THAT(Frames(), IsEmpty());
}

TEST_P(ChannelTest, StoppedDriverNeverCallsThroughAMissingEntryPoint) {
  Start();
  Qdm00000::StopImpFiscal();
  Mark();
  EXPECT_FALSE(Qdm00000::Leitura_X(""));
  EXPECT_FALSE(Qdm00000::Estado_Impressora(false, false));
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_TRUE(Logged("ERRO!!! DLL nao carregada: DAR_Envia"));
}

INSTANTIATE_TEST_SUITE_P(Daruma, ChannelTest, ::testing::Values(7, 8));

// Type 7 drawer digit: above 7 reads "001"; type 8 takes the byte's 0x80.
TEST(DrawerFlag, ReadsEachModelsStatusLayout) {
  Qdm00300::inTipoImpFis = 7;
  std::string flag;
  for (const auto& [answer, expected] : std::vector<std::pair<std::string, std::string>>{
           {":8000", "001"}, {":7000", "000"}, {":F000", "001"}, {":X000", ""}}) {
    Qdm00300::DarumaRet = answer;
    Qdm00300::Retorno_Daruma(Byte(0xFF), true, flag);
    EXPECT_EQ(flag, expected) << answer;
  }
  Qdm00300::inTipoImpFis = 8;
  for (const auto& [answer, expected] : std::vector<std::pair<std::string, std::string>>{
           {":8000", "000"}, {":0100", "001"}, {":7F00", "001"}, {":G0", ""}}) {
    Qdm00300::DarumaRet = answer;
    Qdm00300::Retorno_Daruma(Byte(0xFF), true, flag);
    EXPECT_EQ(flag, expected) << answer;
  }
  Qdm00300::DarumaRet.clear();
}

}  // namespace
}  // namespace daruma_test
