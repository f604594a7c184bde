// Start, port opening with the clean-up of a document left open, the
// start-up reading per model, and stop.
#include <gmock/gmock.h>

#include <filesystem>

#include "daruma_fixture.h"

namespace daruma_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using StartTest = BothModelsTest;

TEST_P(StartTest, StartupReadsIdentityAndDatesAtEachModelsPlaces) {
  printer.SetIdentity("0042", GetParam() == 7 ? "DR123456" : "DR8765");
  Start();
  EXPECT_TRUE(Qdm00300::IniciaImp_Daruma());
  EXPECT_EQ(Qdm00000::ECF, "0042");
  EXPECT_EQ(Qdm00000::SerieECF, GetParam() == 7 ? "DR123456" : "DR8765");
  EXPECT_EQ(Qdm00000::stData, "101226");
  EXPECT_EQ(Qdm00000::stDataAtu, "1012261400");
  const std::vector<unsigned char> type7{0xEC, 0xFA, 0xFF, 0xE6, 0xEC};
  const std::vector<unsigned char> type8{0xEF, 0x05, 0xE6, 0xEC};
  EXPECT_EQ(CommandBytes(), GetParam() == 7 ? type7 : type8);
  // Every answer read at start-up is logged.
  int answers = 0;
  for (const std::string& line : LogLines()) answers += line.rfind("Retorno da Impressora ", 0) == 0;
  EXPECT_EQ(answers, GetParam() == 7 ? 5 : 4);
}

TEST_P(StartTest, StartupThroughTheFacadeLoadsTheTables) {
  WriteTipoRece({});
  Start();
  platform::TClientDataSet recebimentos("recebimentos"), aliquotas("aliquotas");
  DefinePaymentTypeFields(recebimentos);
  recebimentos.CreateDataSet();
  EXPECT_TRUE(Qdm00000::IniciaImpressora("PDV", "N", recebimentos, aliquotas));
  EXPECT_EQ(aliquotas.RecordCount(), 7);  // four rates and N, I, F
}

TEST_P(StartTest, ErrorAnswerLeavesTheIdentityEmpty) {
  Start();
  Qdm00000::ECF = "9999";
  printer.AnswerError(10, -1);
  EXPECT_TRUE(Qdm00300::IniciaImp_Daruma());
  printer.AnswerError(0, 0);
  EXPECT_EQ(Qdm00000::ECF, "");
  EXPECT_EQ(Qdm00000::stDataAtu, "");
}

TEST_P(StartTest, PortThatDoesNotOpenIsToldAndTheStartUndone) {
  printer.SetPortAvailable(0);
  Qdm00000::stPorta = "COM1";
  EXPECT_TRUE(Qdm00000::StartImpFiscal(std::to_string(GetParam()), "COM1"));
  EXPECT_THAT(sandbox.dialogs->Texts(), ElementsAre(facade_test::Text("ErroPorta")));
  EXPECT_TRUE(Logged("ERRO!!! Abrindo porta COM1"));
  EXPECT_TRUE(Logged("Descarregando DLL Impressora Fiscal"));
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_EQ(Qdm00300::Dar_Erro, nullptr);
}

TEST_P(StartTest, StartWhoseStatusRequestFailsClosesThePortItOpened) {
  printer.AnswerError(10, 1);
  Qdm00000::stPorta = "COM1";
  EXPECT_TRUE(Qdm00000::StartImpFiscal(std::to_string(GetParam()), "COM1"));
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_EQ(Qdm00300::Dar_FechaPorta, nullptr);
  EXPECT_EQ(printer.PortOpen(), 0);
  // The next start finds the port free.
  Start();
  EXPECT_EQ(printer.PortOpen(), 1);
}

TEST_P(StartTest, StopClosesThePortAndFechaPortaStillAnswersFalse) {
  Start();
  EXPECT_FALSE(Qdm00000::FechaPorta());
  EXPECT_EQ(printer.PortOpen(), 1);
  Qdm00000::StopImpFiscal();
  EXPECT_EQ(printer.PortOpen(), 0);
  EXPECT_EQ(Qdm00300::DarumaEnviaComando, nullptr);
  EXPECT_TRUE(Logged("Fechando porta COM1"));
  // A new start opens it again.
  Start();
  EXPECT_EQ(printer.PortOpen(), 1);
}

TEST_P(StartTest, LibraryWithoutAnEntryPointIsNotBoundAtAll) {
  // The sandbox is the host's directory, searched first for the library.
  std::filesystem::copy_file(testsupport::ExecutableDirectory() + "/fs345_sem_erro.dll",
                             sandbox.dir.file("fs345_32.dll"));
  const platform::HMODULE loaded = Qdm00300::DarumaDLLHandle;
  Qdm00300::DarumaDLLHandle = nullptr;
  Qdm00000::SetImpFiscalOK(true);
  EXPECT_TRUE(Qdm00000::StartImpFiscal(std::to_string(GetParam()), "COM1"));
  EXPECT_FALSE(Qdm00000::ImpFiscalOK());
  EXPECT_TRUE(Logged("ERRO!!! DLL nao carregada: DAR_Erro"));
  EXPECT_EQ(Qdm00300::Dar_AbrePorta, nullptr);
  EXPECT_EQ(Qdm00300::DarumaEnviaComando, nullptr);
  EXPECT_FALSE(Qdm00000::Estado_Impressora(false, false));
  EXPECT_FALSE(Qdm00300::AbrePorta_Daruma(GetParam(), "COM1"));
  Qdm00300::DarumaDLLHandle = loaded;
}

INSTANTIATE_TEST_SUITE_P(Daruma, StartTest, ::testing::Values(7, 8));

struct LeftOpenCase {
  int tipo;
  int document;                      // 0 none, 1 coupon, 2 report
  std::vector<std::string> cleanup;  // frames after the status request
  int open_after;
};

class LeftOpenTest : public DarumaTest, public ::testing::WithParamInterface<LeftOpenCase> {
 protected:
  LeftOpenTest() : DarumaTest(GetParam().tipo) {}
};

TEST_P(LeftOpenTest, DocumentLeftOpenIsClosedAtPortOpening) {
  const LeftOpenCase& c = GetParam();
  printer.LeaveOpen(c.document);
  printer.ClearFrames();
  Qdm00000::stPorta = "COM1";
  ASSERT_TRUE(Qdm00000::StartImpFiscal(std::to_string(c.tipo), "COM1"));
  std::vector<std::string> expected{Byte(0x1D) + Byte(c.tipo == 7 ? 0xFF : 0x05)};
  expected.insert(expected.end(), c.cleanup.begin(), c.cleanup.end());
  EXPECT_THAT(Frames(), ElementsAreArray(expected));
  EXPECT_EQ(printer.OpenDocument(), c.open_after);
}

INSTANTIATE_TEST_SUITE_P(
    BothModels, LeftOpenTest,
    ::testing::Values(LeftOpenCase{7, 0, {}, 0}, LeftOpenCase{7, 1, {kEsc + Byte(0xCE)}, 0},
                      // A report left open is closed on both models.
                      LeftOpenCase{7, 2, {kEsc + Byte(0xD4)}, 0}, LeftOpenCase{8, 0, {Byte(0x05)}, 0},
                      LeftOpenCase{8, 1, {Byte(0x05), kEsc + Byte(0xC9) + "0000" + Byte(0xFF), kEsc + Byte(0xCE)}, 0},
                      LeftOpenCase{8, 2, {Byte(0x05), kEsc + Byte(0xD4)}, 0}));

}  // namespace
}  // namespace daruma_test
