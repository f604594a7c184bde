// The cupom data module: its message catalogue, the dataset layouts the
// drivers and the front end rely on, and the tax-rate index.
#include <gtest/gtest.h>

#include "facade/Qdm00000.h"
#include "data_module/catalogue.h"
#include "tests/facade/facade_fixture.h"

namespace {

using facade_test::Text;
using platform::TClientDataSet;
using platform::TFieldType;

TEST(Catalogue, HoldsTheSixtySevenEntriesInOrder) {
  const util::TMessages& msg = Qdm00000::DataModule().msgPadrao;
  ASSERT_EQ(msg.Count(), 67);
  EXPECT_EQ(msg.Entry(0), "Nome|NOME");
  EXPECT_EQ(msg.Entry(6), "Convenio|Conv\xEAnio");
  EXPECT_EQ(msg.Entry(39), "DataFiscalAnterior|A data fiscal da impressora est\xE1 menor que a data atual. "
                           "\xC9 necess\xE1ria a impress\xE3o de uma Redu\xE7\xE3o Z. Confirma?");
  EXPECT_EQ(msg.Entry(42), "AliqNaoCad|AliqNaoCad");
  EXPECT_EQ(msg.Entry(48), "Valor_|V  A  L  O  R");
  EXPECT_EQ(msg.Entry(66), "ConfRelProds|Confirma impress\xE3o do Relat\xF3rio de Produtos?");
  for (int i = 0; i < msg.Count(); ++i) {
    EXPECT_EQ(msg.Entry(i), Qdm00000::MessageCatalogue()[static_cast<std::size_t>(i)]);
  }
}

TEST(Catalogue, AnswersKeysWithoutRegardToCaseAndTheFirstOfARepeatedKey) {
  EXPECT_EQ(Text("Datadif"), "Data da impressora fiscal difere da data do sistema em mais de 15 minutos.");
  EXPECT_EQ(Text("RELATORIO"), "Relatorios");
  EXPECT_EQ(Text("AliqNaoCad"), "Al\xEDquota n\xE3o cadastrada na impressora fiscal.");
  EXPECT_EQ(Text("Suprimento"), "Suprimento");
  EXPECT_EQ(Text("CV-EMITIDO"), "CONTRA-VALE EMITIDO");
}

TEST(Catalogue, KeysItLacksAnswerTheKeyItself) {
  for (const char* key : {"ErroCom", "ErroRecp", "Promocao", "TOTALIZ", "TOTALIZOUTROS", "TotalizVendaCons"}) {
    EXPECT_EQ(Text(key), key);
  }
}

std::vector<std::string> FieldNames(TClientDataSet& ds) {
  std::vector<std::string> names;
  for (const auto& def : ds.FieldDefs) names.push_back(def.Name);
  return names;
}

TEST(DataModule, DeclaresTheLayoutsAndStartsClosed) {
  TdtmCupomFiscal& dm = Qdm00000::DataModule();
  EXPECT_EQ(&dm, Qdm00000::dtmCupomFiscal);
  EXPECT_EQ(&dm, &Qdm00000::DataModule());

  EXPECT_EQ(dm.cdsTipoRece.FieldDefs.size(), 28u);
  EXPECT_EQ(dm.cdsRecebAux.FieldDefs.size(), 28u);
  EXPECT_EQ(dm.cdsTipoReceAux.FieldDefs.size(), 27u);
  EXPECT_EQ(dm.cdsTipoRece.FieldDefs.back().Name, "DSIMAGEMBUT");
  EXPECT_EQ(dm.cdsTipoReceAux.FieldDefs.back().Name, "DSMESSAGEBUT");
  EXPECT_EQ(dm.cdsMovCaixa.FieldDefs.size(), 18u);
  EXPECT_EQ(dm.cdsReducaoZ.FieldDefs.size(), 22u);
  EXPECT_EQ(FieldNames(dm.cdsAliqImpFis), (std::vector<std::string>{"CDALIQIMPFIS", "VRALIQIMPFIS", "IDALIQIMPFIS"}));
  EXPECT_EQ(dm.cdsAliqImpFis.FieldDefs[0].Size, 10);
  EXPECT_EQ(dm.cdsAliqImpFis.FieldDefs[1].DataType, TFieldType::ftFloat);

  // Filled from files or by the front end: no layout of their own.
  for (TClientDataSet* ds : {&dm.cdsCheckECF, &dm.cdsTipoTroco, &dm.cdsProduto, &dm.cdsProdVend, &dm.cdsOperadorSup,
                             &dm.cdsIdCaixa, &dm.cdsProxLetra}) {
    EXPECT_TRUE(ds->FieldDefs.empty()) << ds->Name;
  }
  EXPECT_FALSE(dm.cdsMovCaixa.Active());
  EXPECT_FALSE(dm.cdsTipoRece.Active());
}

TEST(DataModule, PaymentTypeLayoutForAFrontEndDataset) {
  TClientDataSet ds("recebimentos");
  DefinePaymentTypeFields(ds);
  ds.CreateDataSet();
  ASSERT_EQ(ds.FieldCount(), 28);
  EXPECT_EQ(ds.Fields(1).FieldName(), "CDTIPORECE");
  EXPECT_EQ(ds.FieldByName("NMTIPORECE").Size(), 40);
  EXPECT_EQ(ds.FieldByName("DSMESSAGEBUT").Size(), 300);
  EXPECT_EQ(ds.FieldByName("NRCOLORBACK").DataType(), TFieldType::ftFloat);
}

TEST(DataModule, TaxRateTableIsSearchedByKindAndRate) {
  TClientDataSet& rates = Qdm00000::DataModule().cdsAliqImpFis;
  facade_test::FillTaxRates(rates, {{"01", 18, "S"}, {"02", 7, "T"}, {"03", 18, "T"}, {"FF", 0, "F"}});
  EXPECT_EQ(rates.IndexName(), "idxIdAliqVrAliq");
  ASSERT_TRUE(rates.Locate("IDALIQIMPFIS;VRALIQIMPFIS", {std::string("T"), 18.0}));
  EXPECT_EQ(rates.FieldByName("CDALIQIMPFIS").AsString(), "03");
  // Visited by kind, then rate.
  rates.First();
  EXPECT_EQ(rates.FieldByName("CDALIQIMPFIS").AsString(), "FF");
  rates.Close();
}

TEST(DataModule, PaymentMovementsComeByChangeOrderLatestFirst) {
  TClientDataSet& mov = Qdm00000::DataModule().cdsMovCaixa;
  mov.CreateDataSet();
  const struct {
    const char* ordem;
    double quando;
    const char* nome;
  } rows[] = {{"2", 100.5, "B"}, {"1", 100.1, "A-antigo"}, {"1", 100.9, "A-novo"}};
  for (const auto& r : rows) {
    mov.Append();
    mov.FieldByName("NRORDTROCO").SetAsString(r.ordem);
    mov.FieldByName("DTHRINCMOV").SetAsDateTime(r.quando);
    mov.FieldByName("NMTIPORECE").SetAsString(r.nome);
    mov.Post();
  }
  std::vector<std::string> order;
  for (mov.First(); !mov.Eof(); mov.Next()) order.push_back(mov.FieldByName("NMTIPORECE").AsString());
  EXPECT_EQ(order, (std::vector<std::string>{"A-novo", "A-antigo", "B"}));

  EXPECT_EQ(mov.FieldByName("VRMOVIVEND").DisplayLabel, "Valor");
  EXPECT_EQ(mov.FieldByName("VRMOVIVEND").DisplayFormat, "#,##0.00");
  EXPECT_EQ(mov.FieldByName("NMTIPORECE").DisplayLabel, "Recebimento");
  EXPECT_FALSE(mov.FieldByName("DSMOVIVEND").Visible);
  EXPECT_TRUE(mov.FieldByName("CDCLIENTE").Visible);
  mov.Close();
}

}  // namespace
