// The service's files in the register's home: the bearer token (made once,
// owner only) and the journal of sales by key (synced, a cut last line
// dropped).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/sandbox.h"
#include "tools/qdm_service/sale_journal.h"
#include "tools/qdm_service/token.h"

namespace qdm_service {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ServiceFilesTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  std::string home() const { return dir.path(); }
};

TEST_F(ServiceFilesTest, TheTokenIsMadeOnceReadableByItsOwnerOnly) {
  const std::string token = LoadOrCreateToken(home());
  EXPECT_EQ(token.size(), 64u);
  EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat((home() + "/" + kTokenFileName).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(LoadOrCreateToken(home()), token);
  EXPECT_NE(LoadOrCreateToken(home() + "/"), "");  // the same home written otherwise
  // Nothing left beside it.
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home())) ++files;
  EXPECT_EQ(files, 1u);
}

TEST_F(ServiceFilesTest, ATokenFileOthersCanReadIsRefusedAndAnEmptyOneReplaced) {
  const std::string path = home() + "/" + kTokenFileName;
  const std::string token = LoadOrCreateToken(home());
  ::chmod(path.c_str(), 0644);
  EXPECT_THROW(LoadOrCreateToken(home()), std::runtime_error);
  ::chmod(path.c_str(), 0600);
  std::ofstream(path, std::ios::trunc).close();  // a first start cut short
  ::chmod(path.c_str(), 0600);
  const std::string fresh = LoadOrCreateToken(home());
  EXPECT_EQ(fresh.size(), 64u);
  EXPECT_NE(fresh, token);
  EXPECT_EQ(Slurp(path), fresh + "\n");
}

TEST_F(ServiceFilesTest, TokensCompareWhole) {
  EXPECT_TRUE(TokenMatches("abc", "abc"));
  EXPECT_FALSE(TokenMatches("abc", "abd"));
  EXPECT_FALSE(TokenMatches("abc", "ab"));
  EXPECT_FALSE(TokenMatches("", ""));
}

TEST_F(ServiceFilesTest, AKeyIsJournaledBeforeTheSaleAndAnswersItsOutcomeAfter) {
  const std::string path = home() + "/vendas.jrn";
  {
    SaleJournal journal(path);
    EXPECT_EQ(journal.Begin("venda-1", R"({"itens":[1]})"), SaleJournal::Claim::Begun);
    // Written and synced before Begin answered: another reader sees it.
    EXPECT_NE(Slurp(path).find("venda-1"), std::string::npos);
    EXPECT_EQ(journal.Begin("venda-1", R"({"itens":[1]})"), SaleJournal::Claim::Pending);
    EXPECT_EQ(journal.Begin("venda-1", R"({"itens":[2]})"), SaleJournal::Claim::Conflict);
    journal.Finish("venda-1", R"({"status":200})");
    SaleJournal::Entry entry;
    EXPECT_EQ(journal.Begin("venda-1", R"({"itens":[1]})", &entry), SaleJournal::Claim::Done);
    EXPECT_EQ(entry.outcome, R"({"status":200})");
    EXPECT_EQ(journal.Begin("venda-2", "{}"), SaleJournal::Claim::Begun);
  }
  // After a restart: the outcome stands, the key without one is pending.
  SaleJournal again(path);
  EXPECT_EQ(again.Find("venda-1")->outcome, R"({"status":200})");
  ASSERT_EQ(again.Pending().size(), 1u);
  EXPECT_EQ(again.Pending()[0].key, "venda-2");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ServiceFilesTest, ALineAPowerFailureCutIsDroppedBeforeAnythingFollowsIt) {
  const std::string path = home() + "/vendas.jrn";
  {
    SaleJournal journal(path);
    journal.Begin("a", "{}");
  }
  std::ofstream(path, std::ios::app) << R"({"k":"a","o":"{\"sta)";  // the outcome, cut
  {
    SaleJournal journal(path);
    EXPECT_FALSE(journal.Find("a")->outcome);
    journal.Finish("a", "{}");
    EXPECT_EQ(journal.Begin("b", "{}"), SaleJournal::Claim::Begun);
  }
  SaleJournal again(path);
  EXPECT_EQ(again.Find("a")->outcome, "{}");
  EXPECT_TRUE(again.Find("b"));
  EXPECT_EQ(Slurp(path).find("sta\n"), std::string::npos);
}

TEST_F(ServiceFilesTest, HowFarASaleWentIsKeptWithItsKeyAcrossARestart) {
  const std::string path = home() + "/vendas.jrn";
  {
    SaleJournal journal(path);
    journal.Begin("v", "{}", nullptr, R"({"cupom":null})", "2026-12-11 10:00:00");
    journal.Progress("v", R"({"cupom":"000042"})");
    journal.Begin("w", "{}");
    journal.Finish("w", "{}");
    journal.Progress("w", "late");  // an answered key keeps its answer's state
  }
  SaleJournal again(path);
  const SaleJournal::Entry v = *again.Find("v");
  EXPECT_EQ(v.progress, R"({"cupom":"000042"})");
  EXPECT_EQ(v.begun, "2026-12-11 10:00:00");
  EXPECT_FALSE(v.outcome);
  EXPECT_EQ(again.Find("w")->progress, "");
  ASSERT_EQ(again.All().size(), 2u);
  EXPECT_EQ(again.All()[1].key, "w");
}

TEST(SaleJournalKeyTest, KeysAreShortPlainNames) {
  for (const char* good :
       {"a", "venda-2024.001_x", "loja:7:caixa-1", "0123456789012345678901234567890123456789012345678901234567890123"})
    EXPECT_TRUE(SaleJournal::ValidKey(good)) << good;
  for (const char* bad :
       {"", "../x", "a b", "a/b", "\xE7", "01234567890123456789012345678901234567890123456789012345678901234"})
    EXPECT_FALSE(SaleJournal::ValidKey(bad)) << bad;
}

}  // namespace
}  // namespace qdm_service
