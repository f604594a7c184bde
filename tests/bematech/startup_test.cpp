// Start, port and start-up reading of the printer's dates and identity.
#include <dlfcn.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>

#include "driver_fixture.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/application.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StartTest : public DriverTest {
 protected:
  void SetUp() override { Qdm00100::StopImpFiscal_Bematech(); }
};

TEST_F(StartTest, PortOpeningChecksThePrinterAndCancelsALeftOverCoupon) {
  ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
  Mark();

  EXPECT_TRUE(Qdm00100::AbrePorta_Bematech("COM1"));
  // The number of the coupon is read before it is cancelled.
  EXPECT_THAT(Frames(), ElementsAre(Frame("19"), Frame("30"), Frame("14"), Frame("12"), Frame("21")));
  EXPECT_EQ(printer.CouponOpen(), 0);
  EXPECT_THAT(Dialogs(), IsEmpty());
}

TEST_F(StartTest, ACouponLeftOpenAndCancelledAtThePortIsNamedInTheLog) {
  ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  ASSERT_TRUE(Qdm00100::AbreCupom_Bematech(""));
  ASSERT_TRUE(Qdm00100::AbreCupom_Bematech("") || true);
  const int aberto = printer.CouponNumber();
  char numero[8];
  std::snprintf(numero, sizeof numero, "%06d", aberto);
  Mark();

  EXPECT_TRUE(Qdm00100::AbrePorta_Bematech("COM1"));
  const std::vector<std::string> lines = LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "Cupom " + std::string(numero) + " deixado aberto cancelado na abertura da porta"),
            1);
  EXPECT_THAT(Dialogs(), IsEmpty());

  // No coupon open: no such line.
  Mark();
  EXPECT_TRUE(Qdm00100::AbrePorta_Bematech("COM1"));
  for (const std::string& line : LogLines()) EXPECT_EQ(line.find("deixado aberto"), std::string::npos);
}

TEST_F(StartTest, PortThatDoesNotOpenLeavesTheDriverUnbound) {
  printer.SetPortAvailable(0);
  Mark();
  EXPECT_TRUE(Qdm00100::StartImpFis_Bematech("COM3"));

  EXPECT_FALSE(Qdm00100::boImpFiscalOK);
  EXPECT_EQ(Qdm00100::BemaFormataTX, nullptr);
  EXPECT_EQ(Qdm00100::BemaIniPortaStr, nullptr);
  EXPECT_NE(Qdm00100::ImpFisDLLHandle, nullptr);
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_THAT(LogLines(), ElementsAre("ERRO!!! Abrindo porta COM3", "Descarregando DLL Impressora Fiscal"));
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, Text("ErroPorta"));
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  printer.SetPortAvailable(1);
}

TEST_F(StartTest, LibraryWithoutTheEntryPointsLeavesTheDriverUnbound) {
  const platform::HMODULE emulator = Qdm00100::ImpFisDLLHandle;
  void* other = dlopen("libc.so.6", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(other, nullptr);
  Qdm00100::ImpFisDLLHandle = other;

  EXPECT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  EXPECT_EQ(Qdm00100::BemaIniPortaStr, nullptr);
  EXPECT_EQ(Qdm00100::BemaRetorna_ASCII, nullptr);
  EXPECT_FALSE(Qdm00100::boImpFiscalOK);
  EXPECT_THAT(LogLines(), ElementsAre("ERRO!!! DLL nao carregada: IniPortaStr"));

  Qdm00100::ImpFisDLLHandle = emulator;
  dlclose(other);
}

TEST_F(StartTest, PortClosesThroughTheLibrary) {
  ASSERT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  EXPECT_TRUE(Qdm00100::FechaPorta_Bematech());
}

using StartupReadingTest = DriverTest;

TEST_F(StartupReadingTest, DatesAndIdentityLandInTheFacadeGlobals) {
  printer.SetIdentity("007", "BE0101SERIAL");
  printer.SetFiscalDay(2026, 12, 9);
  EXPECT_TRUE(Qdm00100::IniciaImp_Bematech());

  EXPECT_THAT(Frames(),
              ElementsAre(Frame("35", {"27"}), Frame("35", {"23"}), Frame("35", {"14"}), Frame("35", {"00"})));
  EXPECT_EQ(Qdm00000::stData, "091226");
  EXPECT_EQ(Qdm00000::stDataAtu.substr(0, 10), "1012261400");
  EXPECT_EQ(Qdm00000::ECF, "007");
  EXPECT_EQ(Qdm00000::SerieECF, "BE0101SERIAL");
}

TEST_F(StartupReadingTest, ALaterRefusedReadingKeepsItsGlobalAndTheOthersAreRead) {
  printer.SetIdentity("007", "BE0101SERIAL");
  Qdm00000::stDataAtu = "keep";
  // The first reading finds the printer busy; while the driver waits, the
  // next two transmissions are refused: the bare poll and the clock reading.
  printer.HoldBusy(1);
  platform::Application().Queue([this] { printer.RefuseTransmission(2); });

  EXPECT_TRUE(Qdm00100::IniciaImp_Bematech());
  EXPECT_THAT(Frames(), ElementsAre(Frame("35", {"27"}), "\x1B|19|\x1B", Frame("35", {"23"}), Frame("35", {"14"}),
                                    Frame("35", {"00"})));
  EXPECT_EQ(Qdm00000::stData, "101226");
  EXPECT_EQ(Qdm00000::stDataAtu, "keep");
  EXPECT_EQ(Qdm00000::ECF, "007");
  EXPECT_EQ(Qdm00000::SerieECF, "BE0101SERIAL");
}

TEST_F(StartupReadingTest, RefusedReadingStopsTheStartUp) {
  Qdm00000::stData = "keep";
  printer.ForceStatus(0, 1, 1);
  EXPECT_FALSE(Qdm00100::IniciaImp_Bematech());
  EXPECT_EQ(Qdm00000::stData, "keep");
  EXPECT_THAT(Frames(), ElementsAre(Frame("35", {"27"})));
}

}  // namespace
}  // namespace bematech_test
