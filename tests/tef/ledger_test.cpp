// The ledger of settled transactions over a shop's life: the settled
// history moves to the month's archive in batches, a move cut by a power
// failure is never written twice, and a ledger above its bound is refused
// by name.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/clock_testing.h"
#include "platform/base/errors.h"
#include "platform/text/datetime.h"
#include "tef/Qdm00500.h"
#include "tef/ledger.h"
#include "fake_manager.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

using Qdm00500::detail::Decision;
using Qdm00500::detail::kArchiveBatch;
using Qdm00500::detail::kSettledKept;
using Qdm00500::detail::Ledger;
using Qdm00500::detail::LedgerEntry;
using Qdm00500::detail::TransactionKey;

const std::string kRoot = "c:\\tef_dial\\";

TransactionKey Key(int n) { return {"REDECARD", std::to_string(100000 + n), "FIN" + std::to_string(n)}; }

class LedgerTest : public TefTest {
 protected:
  LedgerTest() : dial(tef.MakeRoot("tef_dial")) {}

  // Settles transactions first .. last in the ledger of the root, saving once.
  static void Settle(int first, int last) {
    Ledger ledger = Ledger::Load(kRoot);
    for (int n = first; n <= last; ++n) {
      ledger.Decide(Key(n), Decision::Confirm);
      ledger.Acknowledge(Key(n));
    }
    ledger.Save();
  }
  // Documents named by the lines of a ledger or archive file, in order.
  static std::vector<std::string> Documents(const std::string& path) {
    std::vector<std::string> documents;
    platform::TStringList lines;
    lines.SetText(TefState::Read(path));
    for (const std::string& line : lines.Lines()) {
      LedgerEntry entry;
      documents.push_back(Qdm00500::detail::ParseLedgerLine(line, entry) ? entry.key.document : "damaged");
    }
    return documents;
  }
  static std::vector<std::string> Range(int first, int last) {
    std::vector<std::string> documents;
    for (int n = first; n <= last; ++n) documents.push_back(Key(n).document);
    return documents;
  }
  std::string Archive(const std::string& month) const { return dial + "/qdm_tef_" + month + ".ldg"; }
  static std::vector<std::string> LedgerArchivesOf() { return Qdm00500::detail::LedgerArchives(kRoot); }

  std::string dial;
};

TEST_F(LedgerTest, SettledHistoryMovesToTheMonthsArchiveInBatches) {
  {
    Ledger ledger = Ledger::Load(kRoot);
    ledger.Decide(Key(0), Decision::Undo);  // never acknowledged: never moved
    ledger.Save();
  }
  // An old archive nothing reads whole: 1 GB, sparse.
  TefState::Write(Archive("202611"), "CNF;1;REDECARD;000001;FIN;20261130100000\r\n");
  std::filesystem::resize_file(Archive("202611"), std::uintmax_t{1} << 30);

  const int full = static_cast<int>(kSettledKept + kArchiveBatch);
  Settle(1, full);
  EXPECT_FALSE(TefState::Exists(Archive("202612")));
  Settle(full + 1, full + 1);

  EXPECT_EQ(Documents(Archive("202612")), Range(1, full + 1 - static_cast<int>(kSettledKept)));
  std::vector<std::string> kept{Key(0).document};
  for (const auto& d : Range(full + 2 - static_cast<int>(kSettledKept), full + 1)) kept.push_back(d);
  EXPECT_EQ(Documents(dial + "/qdm_tef.ldg"), kept);
  EXPECT_EQ(std::filesystem::file_size(Archive("202611")), std::uintmax_t{1} << 30);

  // Settled lines say when; the one left open is still decided.
  const Ledger ledger = Ledger::Load(kRoot);
  ASSERT_NE(ledger.Find(Key(0)), nullptr);
  EXPECT_FALSE(ledger.Find(Key(0))->acknowledged);
  EXPECT_EQ(ledger.Find(Key(full + 1))->settled_at, "20261210140000");
  EXPECT_EQ(ledger.Find(Key(1)), nullptr);
}

TEST_F(LedgerTest, MoveCutByAPowerFailureIsNeverWrittenTwice) {
  const int full = static_cast<int>(kSettledKept + kArchiveBatch);
  const int moved = full + 1 - static_cast<int>(kSettledKept);
  const struct {
    const char* name;
    std::size_t torn;  // bytes of the archive's last line lost by the cut
  } cases[] = {{"archive whole, ledger not saved", 0}, {"archive's last line half written", 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dial + "/qdm_tef.ldg");
    std::filesystem::remove(Archive("202612"));
    Settle(1, full);
    Ledger ledger = Ledger::Load(kRoot);
    ledger.Decide(Key(full + 1), Decision::Confirm);
    ledger.Save();
    const std::string before_cut = TefState::Read(dial + "/qdm_tef.ldg");

    // The ledger cannot be written after the archive took its lines.
    ledger.Acknowledge(Key(full + 1));
    std::filesystem::remove(dial + "/qdm_tef.ldg");
    std::filesystem::create_directories(dial + "/qdm_tef.ldg/x");
    EXPECT_THROW(ledger.Save(), platform::EInOutError);
    std::filesystem::remove_all(dial + "/qdm_tef.ldg");
    TefState::Write(dial + "/qdm_tef.ldg", before_cut);
    std::filesystem::resize_file(Archive("202612"), std::filesystem::file_size(Archive("202612")) - c.torn);

    // The next start settles the same transaction again.
    Ledger again = Ledger::Load(kRoot);
    again.Acknowledge(Key(full + 1));
    again.Save();

    EXPECT_EQ(Documents(Archive("202612")), Range(1, moved));
    EXPECT_EQ(Documents(dial + "/qdm_tef.ldg"), Range(moved + 1, full + 1));
  }
}

TEST_F(LedgerTest, EachMoveGoesToTheNewestMonthNeverBackInTime) {
  const int batch = static_cast<int>(kSettledKept + kArchiveBatch) + 1;
  Settle(1, batch);
  platform::clock::SetManual(platform::EncodeDate(2027, 1, 2) + platform::EncodeTime(9, 0, 0, 0));
  Settle(batch + 1, 2 * batch);
  platform::clock::SetManual(platform::EncodeDate(2026, 11, 30) + platform::EncodeTime(9, 0, 0, 0));
  Settle(2 * batch + 1, 3 * batch);

  EXPECT_EQ(LedgerArchivesOf(), (std::vector<std::string>{"qdm_tef_202612.ldg", "qdm_tef_202701.ldg"}));
  const auto december = Documents(Archive("202612"));
  auto all = december;
  for (const auto& d : Documents(Archive("202701"))) all.push_back(d);
  for (const auto& d : Documents(dial + "/qdm_tef.ldg")) all.push_back(d);
  EXPECT_EQ(all, Range(1, 3 * batch));
  EXPECT_EQ(december, Range(1, batch - static_cast<int>(kSettledKept)));
}

TEST_F(LedgerTest, LedgerOfTheOldLayoutGivesItsHistoryToTheArchiveOnce) {
  // Lines without the settling moment, as ledgers were written before.
  std::string old;
  for (int n = 1; n <= 5000; ++n) old += "CNF;1;REDECARD;" + Key(n).document + ";" + Key(n).finalisation + "\r\n";
  TefState::Write(dial + "/qdm_tef.ldg", old);
  Settle(5001, 5001);
  EXPECT_EQ(Documents(Archive("202612")), Range(1, 5001 - static_cast<int>(kSettledKept)));
  EXPECT_EQ(Documents(dial + "/qdm_tef.ldg"), Range(5002 - static_cast<int>(kSettledKept), 5001));
}

TEST_F(LedgerTest, LedgerAboveItsBoundIsRefusedNamingItAndNeverRead) {
  FakeManager manager;
  manager.Serve(dial);
  Qdm00500::DirTef = kRoot;
  TefState::Write(dial + "/qdm_tef.ldg", "CNF;1;REDECARD;000001;FIN;\r\n");
  std::filesystem::resize_file(dial + "/qdm_tef.ldg", std::uintmax_t{100} << 20);  // sparse
  Answer left;
  left.network = "REDECARD";
  TefState::Write(dial + "/resp/intpos.1", RecordText(left.Lines()));

  EXPECT_FALSE(Qdm00500::CheckIntPosFiles());

  EXPECT_TRUE(manager.Exchanges().empty());
  ASSERT_EQ(DialogTexts().size(), 1u);
  EXPECT_EQ(DialogTexts()[0], "O arquivo de controle do TEF n\xE3o pode ser lido: c:\\tef_dial\\qdm_tef.ldg");
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.1"});
  try {
    Ledger::Load(kRoot);
    ADD_FAILURE() << "loaded";
  } catch (const platform::EInOutError& e) {
    EXPECT_NE(e.Message().find("qdm_tef.ldg: maior que"), std::string::npos) << e.Message();
  }
}

}  // namespace
}  // namespace tef_test
