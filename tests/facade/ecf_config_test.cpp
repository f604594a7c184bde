// The register's configuration file: finding it beside the host program,
// the register and checksum checks, and the printer type it sets.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>

#include "facade/Qdm00000.h"
#include "platform/os/files.h"
#include "tests/facade/facade_fixture.h"

namespace {

using facade_test::Text;
using platform::TFieldType;

struct ChecksumCase {
  std::string nr_ecf;
  std::string serie;
  int expected;
};

class ChecksumECFTest : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ChecksumECFTest, IsTheFractionOfTheRootOfTheByteSum) {
  EXPECT_EQ(Qdm00000::ChecksumECF(GetParam().nr_ecf, GetParam().serie), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChecksumECFTest,
                         ::testing::Values(ChecksumCase{"001", "ABC", 52025},                  // 343
                                           ChecksumCase{"", "", 0}, ChecksumCase{"1", "", 0},  // 49, a perfect square
                                           ChecksumCase{"001", "\xC7", 54723},                 // C cedilla counts 199
                                           ChecksumCase{"001", "\307A", 22374}, ChecksumCase{"000", "999999", 4540},
                                           // A byte sum beyond the range of an int (9 MB of 0xFF).
                                           ChecksumCase{"", std::string(9000000, '\xFF'), 15826}));

struct EcfRecord {
  std::string caixa;
  std::string nr_ecf;
  std::string serie;
  int tipo;
  std::optional<int> checksum = std::nullopt;  // the right one when absent
};

void WriteEcf(const std::string& path, const std::vector<EcfRecord>& records, bool with_tipo = true) {
  platform::TClientDataSet ds("config");
  ds.AddFieldDef("CDCAIXA", TFieldType::ftString, 10);
  ds.AddFieldDef("CHECKSUM", TFieldType::ftInteger);
  ds.AddFieldDef("NRSERIEECF", TFieldType::ftString, 20);
  ds.AddFieldDef("NRECFCAIXA", TFieldType::ftString, 10);
  ds.AddFieldDef("DSOBSERV", TFieldType::ftString, 30);  // ignored by the register
  if (with_tipo) ds.AddFieldDef("IDTIPOIMPFIS", TFieldType::ftInteger);
  ds.CreateDataSet();
  for (const EcfRecord& r : records) {
    ds.Append();
    ds.FieldByName("CDCAIXA").SetAsString(r.caixa);
    ds.FieldByName("CHECKSUM").SetAsInteger(r.checksum.value_or(Qdm00000::ChecksumECF(r.nr_ecf, r.serie)));
    ds.FieldByName("NRSERIEECF").SetAsString(r.serie);
    ds.FieldByName("NRECFCAIXA").SetAsString(r.nr_ecf);
    if (with_tipo) ds.FieldByName("IDTIPOIMPFIS").SetAsInteger(r.tipo);
    ds.Post();
  }
  ds.SaveToFile(path);
}

class CarregaECFTest : public facade_test::FacadeTest {
 protected:
  std::string File(const std::string& name) const { return sandbox.dir.file(name); }
};

TEST_F(CarregaECFTest, AcceptsTheRegistersFileAndSetsThePrinterType) {
  WriteEcf(File("ecf003.cds"), {{"003", "001", "ABC", 2}});
  EXPECT_TRUE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 2);
  EXPECT_EQ(Qdm00000::DsDirCad, sandbox.dir.path() + "/");
  EXPECT_TRUE(DialogTexts().empty());
  EXPECT_FALSE(Qdm00000::DataModule().cdsCheckECF.Active());
}

TEST_F(CarregaECFTest, MissingFileSaysTheRegisterCannotOperate) {
  EXPECT_FALSE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{Text("Arq_ECF")});
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbOK);
  EXPECT_EQ(Qdm00000::DsDirCad, sandbox.dir.path() + "/");
}

TEST_F(CarregaECFTest, ExtendedCharactersOfTheSerialCountUnsigned) {
  WriteEcf(File("ecf001.cds"), {{"001", "001", "\307A", 1, 22374}});
  EXPECT_TRUE(Qdm00000::CarregaECF("001"));
  EXPECT_TRUE(DialogTexts().empty());
}

struct RejectCase {
  const char* name;
  std::string sistema;
  std::string file;
  std::vector<EcfRecord> records;
  int dialogs;     // "ArqConfig_Inv" dialogs expected
  int tipo_after;  // IdTipoImpFis afterwards (7 before)
};

class CarregaECFRejectsTest : public CarregaECFTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(CarregaECFRejectsTest, WithTheInvalidFileMessage) {
  const RejectCase& c = GetParam();
  Qdm00000::stSistema = c.sistema;
  Qdm00000::IdTipoImpFis = 7;
  WriteEcf(File(c.file), c.records);
  EXPECT_FALSE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>(static_cast<std::size_t>(c.dialogs), Text("ArqConfig_Inv")));
  EXPECT_EQ(Qdm00000::IdTipoImpFis, c.tipo_after);
  EXPECT_FALSE(Qdm00000::DataModule().cdsCheckECF.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CarregaECFRejectsTest,
    ::testing::Values(
        RejectCase{"OtherRegister", "", "ecf003.cds", {{"004", "001", "ABC", 2}}, 1, 2},
        RejectCase{"WrongChecksum", "", "ecf003.cds", {{"003", "001", "ABC", 2, 52026}}, 1, 2},
        RejectCase{
            "FirstOfTwoBad", "", "ecf003.cds", {{"003", "001", "ABD", 1, 52025}, {"003", "002", "XYZ", 3}}, 1, 3},
        // The KMZ system uses one file with no register code in it.
        RejectCase{"KmzFileWithARegisterCode", "KMZ", "ecf.cds", {{"003", "001", "ABC", 2}}, 1, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CarregaECFTest, KmzUsesTheFileWithoutRegisterCodeOnlyInCapitals) {
  WriteEcf(File("ecf.cds"), {{"", "001", "ABC", 9}});
  WriteEcf(File("ecf003.cds"), {{"003", "001", "ABC", 2}});
  Qdm00000::stSistema = "KMZ";
  EXPECT_TRUE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 9);
  Qdm00000::stSistema = "kmz";
  EXPECT_TRUE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 2);
  EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(CarregaECFTest, EmptyFileIsAcceptedAndLeavesThePrinterType) {
  WriteEcf(File("ecf003.cds"), {});
  Qdm00000::IdTipoImpFis = 5;
  EXPECT_TRUE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(Qdm00000::IdTipoImpFis, 5);
}

TEST_F(CarregaECFTest, FileAboveItsBoundIsInvalidUnreadAndNamedInTheLog) {
  WriteEcf(File("ecf003.cds"), {{"003", "001", "ABC", 2}});
  std::filesystem::resize_file(File("ecf003.cds"), std::uintmax_t{100} << 20);  // sparse
  EXPECT_FALSE(Qdm00000::CarregaECF("003"));
  EXPECT_EQ(DialogTexts(), std::vector<std::string>{Text("ArqConfig_Inv")});
  EXPECT_NE(sandbox.DebugLog().find("ERRO!!! N\xE3o foi poss\xEDvel ler " + File("ecf003.cds") + ": maior que"),
            std::string::npos)
      << sandbox.DebugLog();
}

TEST_F(CarregaECFTest, UnreadableFileOrMissingFieldIsInvalidNotAnError) {
  WriteEcf(File("ecf003.cds"), {{"003", "001", "ABC", 2}}, /*with_tipo=*/false);
  EXPECT_FALSE(Qdm00000::CarregaECF("003"));
  platform::WriteFileAtomic(File("ecf004.cds"), "<?xml version=\"1.0\"?><DATAPACKET");
  EXPECT_FALSE(Qdm00000::CarregaECF("004"));
  EXPECT_EQ(DialogTexts(), (std::vector<std::string>{Text("ArqConfig_Inv"), Text("ArqConfig_Inv")}));
  EXPECT_FALSE(Qdm00000::DataModule().cdsCheckECF.Active());
}

}  // namespace
