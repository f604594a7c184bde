// The message catalogue: what every dialog and receipt title is looked up in.
#include <gtest/gtest.h>

#include "utility/utility.h"
#include "platform/base/errors.h"

namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  util::TMessages messages{{
      "DataDif|Data/Hora da impressora diferente do sistema",
      "AliqNaoCad|Al\xEDquota n\xE3o cadastrada",
      "Relatorio|RELAT\xD3RIO",
      "V|V  A  L  O  R",
      "AliqNaoCad|outro texto",
      "Formula|a|b",
  }};
};

TEST_F(CatalogueTest, KeysMatchWithoutRegardToCase) {
  EXPECT_EQ(messages.Msg("DataDif"), "Data/Hora da impressora diferente do sistema");
  EXPECT_EQ(messages.Msg("Datadif"), messages.Msg("DataDif"));
  EXPECT_EQ(messages.Msg("RELATORIO"), "RELAT\xD3RIO");
}

TEST_F(CatalogueTest, TextsKeepTheirBytesAndSpacing) {
  EXPECT_EQ(messages.Msg("V"), "V  A  L  O  R");
  EXPECT_EQ(messages.Msg("Formula"), "a|b");  // split at the first bar only
}

TEST_F(CatalogueTest, FirstOfADuplicatedKeyWins) {
  EXPECT_EQ(messages.Msg("AliqNaoCad"), "Al\xEDquota n\xE3o cadastrada");
  EXPECT_EQ(messages.Msg("aliqnaocad"), "Al\xEDquota n\xE3o cadastrada");
}

TEST_F(CatalogueTest, MissingKeyAnswersTheKeyItself) {
  EXPECT_EQ(messages.Msg("Promocao"), "Promocao");
  EXPECT_EQ(messages.Msg(""), "");
}

TEST_F(CatalogueTest, EntriesKeepTheirOrder) {
  messages.Add("ErroCom|Erro de comunica\xE7\xE3o");
  ASSERT_EQ(messages.Count(), 7);
  EXPECT_EQ(messages.Entry(0), "DataDif|Data/Hora da impressora diferente do sistema");
  EXPECT_EQ(messages.Entry(4), "AliqNaoCad|outro texto");
  EXPECT_EQ(messages.Entry(6), "ErroCom|Erro de comunica\xE7\xE3o");
  EXPECT_EQ(messages.Msg("errocom"), "Erro de comunica\xE7\xE3o");
  EXPECT_THROW(messages.Entry(7), platform::Exception);
  EXPECT_THROW(messages.Entry(-1), platform::Exception);
}

TEST(CatalogueEmpty, AnswersKeys) {
  util::TMessages none;
  EXPECT_EQ(none.Count(), 0);
  EXPECT_EQ(none.Msg("Nome"), "Nome");
}

}  // namespace
