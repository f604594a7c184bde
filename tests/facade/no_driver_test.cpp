// Type codes that reach no driver: what the facade answers itself, with
// no printer behind it.
#include <gtest/gtest.h>

#include "facade/Qdm00000.h"
#include "platform/text/datetime.h"
#include "platform/base/errors.h"
#include "tests/facade/facade_fixture.h"

namespace {

using facade_test::Text;

class NoDriverTest : public facade_test::FacadeTest, public ::testing::WithParamInterface<int> {
 protected:
  NoDriverTest() { Qdm00000::IdTipoImpFis = GetParam(); }
};

TEST_P(NoDriverTest, StartsWithoutADriverAndAnswersFalseAtThePort) {
  Qdm00000::stPorta = "COM1";
  EXPECT_TRUE(Qdm00000::StartImpFiscal(std::to_string(GetParam()), "COM1"));
  EXPECT_EQ(Qdm00000::IdTipoImpFis, GetParam());
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_FALSE(Qdm00000::AbrePorta("COM1"));
  EXPECT_FALSE(Qdm00000::FechaPorta());
  EXPECT_EQ(sandbox.DebugLog(), "10/12/2026 14:00:00 - Carregando DLL Impressora Fiscal\r\n"
                                "10/12/2026 14:00:00 - Abrindo porta COM1\r\n"
                                "10/12/2026 14:00:00 - Fechando porta COM1\r\n");
}

TEST_P(NoDriverTest, StartUpRunsTheChecksAndALeituraXThatNobodyPrintsFails) {
  platform::TClientDataSet recebimentos("recebimentos"), aliquotas("aliquotas");
  sandbox.dialogs->Answer(platform::mrYes);  // ConfLeitX
  EXPECT_FALSE(Qdm00000::IniciaImpressora("PDV", "", recebimentos, aliquotas));
  EXPECT_EQ(Qdm00000::stSistema, "PDV");
  EXPECT_EQ(DialogTexts(), (std::vector<std::string>{Text("ConfLeitX"), Text("ErroComando")}));
  EXPECT_EQ(sandbox.dialogs->Seen()[1].type, platform::mtError);
  // The front end gets an empty tax-rate table it can still search.
  EXPECT_TRUE(aliquotas.Active());
  EXPECT_TRUE(aliquotas.IsEmpty());
  EXPECT_NE(aliquotas.FindField("VRALIQIMPFIS"), nullptr);
}

TEST_P(NoDriverTest, StartUpWithoutLeituraXSucceeds) {
  platform::TClientDataSet recebimentos("recebimentos"), aliquotas("aliquotas");
  EXPECT_TRUE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_P(NoDriverTest, OperationsAnswerFalseOrEmpty) {
  std::string numero = "17";
  EXPECT_FALSE(Qdm00000::Leitura_X(""));
  EXPECT_FALSE(Qdm00000::Reducao_Z(""));
  EXPECT_FALSE(Qdm00000::VendaItem("1", "2", "7891", "ARROZ", "01", 1, 5.5, 0));
  EXPECT_FALSE(Qdm00000::Cancela_Cupom(true, false, numero));
  EXPECT_EQ(numero, "17");
  EXPECT_EQ(Qdm00000::Nr_Cupom(), "");
  EXPECT_EQ(Qdm00000::RetornoImpFiscal("27", false), "");
  EXPECT_FALSE(Qdm00000::RecebVenda());
  EXPECT_FALSE(Qdm00000::ImprimeTextoNaoFiscal("TEXTO"));
  EXPECT_EQ(Qdm00000::DataMoviFiscal(), platform::EncodeDate(2026, 12, 10));
}

INSTANTIATE_TEST_SUITE_P(Codes, NoDriverTest, ::testing::Values(0, 10));

class FacadeTest : public facade_test::FacadeTest {};

TEST_F(FacadeTest, StartWithATypeThatIsNotANumberRaisesAndKeepsTheType) {
  Qdm00000::IdTipoImpFis = 2;
  Qdm00000::SetImpFiscalOK(true);
  EXPECT_THROW(Qdm00000::StartImpFiscal("x1", "COM1"), platform::EConvertError);
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 2);
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
}

TEST_F(FacadeTest, StopWithTheFlagClearClosesNothing) {
  Qdm00000::IdTipoImpFis = 1;
  Qdm00000::StopImpFiscal();
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_EQ(sandbox.DebugLog(), "");
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 1);
}

TEST_F(FacadeTest, StopNeverRaisesAndClearsTheFlag) {
  Qdm00000::IdTipoImpFis = 0;
  Qdm00000::SetImpFiscalOK(true);
  platform::SetHostExecutable(sandbox.dir.file("missing/pdv"));  // the log fails
  EXPECT_NO_THROW(Qdm00000::StopImpFiscal());
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
}

TEST_F(FacadeTest, AbrePortaMakesTheDefaultPortCom1) {
  EXPECT_EQ(Qdm00000::DataModule().IdPortaImpFis, 0);
  Qdm00000::AbrePorta("COM1");
  EXPECT_EQ(Qdm00000::DataModule().IdPortaImpFis, 1);
  Qdm00000::DataModule().IdPortaImpFis = 5;
  Qdm00000::AbrePorta("COM5");
  EXPECT_EQ(Qdm00000::DataModule().IdPortaImpFis, 5);
}

TEST_F(FacadeTest, RestaurantCouponOpensWithoutPrinterAndNumberZero) {
  Qdm00000::IdTipoImpFis = 9;
  EXPECT_TRUE(Qdm00000::AbreCupom("CPF"));
  EXPECT_EQ(Qdm00000::NrCupom, "0000");
  Qdm00000::NrCupom = "000123";
  EXPECT_TRUE(Qdm00000::AbreCupom(""));
  EXPECT_EQ(Qdm00000::NrCupom, "000123");
}

TEST_F(FacadeTest, SwedaFiscalMemoryNeedsTheKindInCapitals) {
  Qdm00000::IdTipoImpFis = 3;
  EXPECT_FALSE(Qdm00000::Memoria_Fiscal("010126", "311226", "", "d"));
  EXPECT_EQ(Qdm00000::DataMoviFiscal(), platform::EncodeDate(2026, 12, 10));
}

TEST_F(FacadeTest, DarumaClosesNoPortButLogsTheLine) {
  Qdm00000::IdTipoImpFis = 7;
  Qdm00000::stPorta = "COM2";
  EXPECT_FALSE(Qdm00000::FechaPorta());
  EXPECT_EQ(sandbox.DebugLog(), "10/12/2026 14:00:00 - Fechando porta COM2\r\n");
}

TEST_F(FacadeTest, PortAndSpeedTables) {
  EXPECT_EQ(Qdm00000::Portas[0], "");
  EXPECT_EQ(Qdm00000::Portas[1], "COM1");
  EXPECT_EQ(Qdm00000::Portas[12], "COM12");
  EXPECT_EQ(Qdm00000::Portas[13], "LPT1");
  EXPECT_EQ(Qdm00000::Velocidades[0], "110");
  EXPECT_EQ(Qdm00000::Velocidades[5], "9600");
  EXPECT_EQ(Qdm00000::Velocidades[12], "921600");
}

}  // namespace
