// A second register on a port another program holds: the emulated printer
// refuses the opening as a real serial port would, and the driver reports
// the port as it reports any port that does not open.
#include <gmock/gmock.h>

#include "driver_fixture.h"
#include "support/other_process.h"

namespace bematech_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HeldPortTest : public DriverTest {
 protected:
  void SetUp() override {
    Qdm00100::StopImpFiscal_Bematech();
    printer.FechaPorta();
  }
};

TEST_F(HeldPortTest, ADriverStartedOnAPortAnotherProcessHoldsStaysUnboundUntilItIsFree) {
  testsupport::OtherProcess other_register({[this] { return printer.IniPortaStr("COM1"); }});
  ASSERT_NE(other_register.Run(0), 0);
  Mark();

  EXPECT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  EXPECT_FALSE(Qdm00100::boImpFiscalOK);
  EXPECT_EQ(Qdm00100::BemaFormataTX, nullptr);
  EXPECT_THAT(Frames(), IsEmpty());
  EXPECT_THAT(LogLines(), ElementsAre("ERRO!!! Abrindo porta COM1", "Descarregando DLL Impressora Fiscal"));
  EXPECT_THAT(Dialogs(), ElementsAre(Text("ErroPorta")));

  other_register.Kill();
  EXPECT_TRUE(Qdm00100::StartImpFis_Bematech("COM1"));
  EXPECT_TRUE(Qdm00100::boImpFiscalOK);
}

}  // namespace
}  // namespace bematech_test
