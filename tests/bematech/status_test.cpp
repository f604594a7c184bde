// Judgement of the status bytes: every bit's message and verdict, the
// return code and NAK, little paper and an open coupon.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "platform/dialogs/dialogs.h"

namespace bematech_test {
namespace {

using Qdm00100::EnviaComando_Bematech;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct BitCase {
  int st1;
  int st2;
  const char* key;
  bool shown;  // with avisa true, after a command other than "00"
  bool result;
};

void PrintTo(const BitCase& c, std::ostream* os) { *os << c.key; }

class StatusBitTest : public DriverTest, public ::testing::WithParamInterface<BitCase> {};

TEST_P(StatusBitTest, BitGivesItsMessageAndVerdict) {
  const BitCase& c = GetParam();
  printer.ForceStatus(c.st1, c.st2, 1);
  EXPECT_EQ(EnviaComando_Bematech("19", {}, true, false), c.result);

  const std::vector<std::string> lines = LogLines();
  if (c.shown) {
    ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
    EXPECT_EQ(sandbox.dialogs->Seen()[0].text, Text(c.key));
    EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtInformation);
    EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbOK);
  } else {
    EXPECT_THAT(Dialogs(), IsEmpty());
  }
  const bool logged = c.shown || std::string(c.key) == "CupomAberto";
  EXPECT_EQ(lines.size(), logged ? 2u : 1u);
  if (logged) {
    EXPECT_EQ(lines.back(), "ERRO!!! " + Text(c.key));
  }
  // The open-coupon cancel asked from inside the channel never goes out.
  EXPECT_THAT(Frames(), ElementsAre(Frame("19")));
}

INSTANTIATE_TEST_SUITE_P(
    EveryBit, StatusBitTest,
    ::testing::Values(BitCase{128, 0, "FimPapel", true, false}, BitCase{64, 0, "PoucoPapel", false, true},
                      BitCase{32, 0, "ErroRelogio", true, false}, BitCase{16, 0, "ImpErro", true, false},
                      BitCase{8, 0, "SyntaxErro", true, false}, BitCase{4, 0, "ComandoErro", true, false},
                      BitCase{2, 0, "CupomAberto", false, true}, BitCase{1, 0, "ParamErro", true, false},
                      BitCase{0, 128, "TipoParamErro", true, false}, BitCase{0, 32, "MemRAMErro", true, false},
                      BitCase{0, 16, "AliqNProg", true, false}, BitCase{0, 8, "AliqLotada", true, false},
                      BitCase{0, 4, "CancNPermitido", true, false}, BitCase{0, 2, "CGCIENProg", true, false},
                      BitCase{0, 1, "ComandoNExec", true, false}));

using StatusTest = DriverTest;

TEST_F(StatusTest, MemoryFullBitIsJudgedAfterTheBusyPollGivesUp) {
  Qdm00100::MaxBusyPolls = 0;
  printer.ForceStatus(0, 64, 1);
  EXPECT_FALSE(EnviaComando_Bematech("19", {}, true, false));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("MemLotada")));
}

TEST_F(StatusTest, SeveralBitsGiveSeveralDialogsInTableOrder) {
  printer.ForceStatus(128 | 8, 1, 1);
  EXPECT_FALSE(EnviaComando_Bematech("19", {}, true, false));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("FimPapel"), Text("SyntaxErro"), Text("ComandoNExec")));
}

TEST_F(StatusTest, WithoutAvisaFailuresAreNeitherShownNorLogged) {
  printer.ForceStatus(128, 1, 1);
  EXPECT_FALSE(EnviaComando_Bematech("19", {}, false, false));
  EXPECT_THAT(Dialogs(), IsEmpty());
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("19")));
}

TEST_F(StatusTest, NakGivesOneErrorDialogWhateverTheBits) {
  printer.InjectNak(1);
  printer.ForceStatus(128, 1, 1);
  EXPECT_FALSE(EnviaComando_Bematech("19", {}, true, false));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ImpErro")));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("19"), "ERRO!!! NAK recebido"));
}

TEST_F(StatusTest, ReturnCodeOneGivesOneErrorDialog) {
  printer.InjectReturnCode1(1);
  EXPECT_FALSE(EnviaComando_Bematech("19", {}, true, false));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ImpErro")));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("19"), "ERRO!!! Ret recebido"));
}

TEST_F(StatusTest, LittlePaperAndOpenCouponTogetherPassSilently) {
  printer.ForceStatus(66, 0, 1);
  EXPECT_TRUE(EnviaComando_Bematech("19", {}, true, false));
  EXPECT_THAT(Dialogs(), IsEmpty());
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("19"), "ERRO!!! " + Text("CupomAberto")));
}

TEST_F(StatusTest, LittlePaperIsToldWhenACouponOpens) {
  printer.SetPaper(1);
  EXPECT_TRUE(Qdm00100::AbreCupom_Bematech(""));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("PoucoPapel")));
  EXPECT_THAT(LogLines(), ElementsAre("Comando : " + Frame("00"), "ERRO!!! " + Text("PoucoPapel"),
                                      "ERRO!!! " + Text("CupomAberto")));
}

TEST_F(StatusTest, JudgementOutsideTheChannelCancelsAnOpenCoupon) {
  ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
  ASSERT_EQ(printer.CouponOpen(), 1);
  Mark();
  EXPECT_TRUE(Qdm00100::ImpressoraOK(true, true, false));
  EXPECT_THAT(Frames(), ElementsAre(Frame("30"), Frame("14")));
  EXPECT_EQ(printer.CouponOpen(), 0);
}

}  // namespace
}  // namespace bematech_test
