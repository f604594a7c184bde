// The ledger of settled transactions: which transactions this register has
// decided to confirm (CNF) or to undo (NCN), and whether the manager has
// acknowledged that decision. One small file per manager root, rewritten
// whole (beside its place, then renamed in) at every change.
//
// The decision is written before its request is sent and marked done after
// the acknowledgement, so a power failure at any point leaves a state the
// next start can finish: a decided transaction is never turned the other
// way, and an acknowledged one is never sent again.
//
// The ledger keeps what is not yet settled and the last settled
// transactions (for an answer found again after it was settled). The
// settled history beyond them moves to the root's archive, one file per
// month ("qdm_tef_202612.ldg") that nothing reads at start: the ledger's
// cost does not grow with the shop's age.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/dataset/stringlist.h"

namespace Qdm00500::detail {

// A transaction as the manager names it: network (010-000), document
// number (012-000) and finalisation (027-000).
struct TransactionKey {
  std::string network;
  std::string document;
  std::string finalisation;
  bool operator==(const TransactionKey&) const = default;
};
TransactionKey KeyOf(const platform::TStringList& answer);

enum class Decision { Confirm, Undo };

struct LedgerEntry {
  Decision decision = Decision::Confirm;
  bool acknowledged = false;
  TransactionKey key;
  std::string settled_at;  // "20261210140327" once acknowledged ("" in older ledgers)
};

// Settled transactions the ledger keeps (an answer found again after its
// transaction was settled is one a power failure left for the very next
// start, a sale's few cards at most), and how many more it lets settle
// before the oldest go to the archive together.
inline constexpr std::size_t kSettledKept = 50;
inline constexpr std::size_t kArchiveBatch = 50;
// Far above what the ledger holds in use (a few hundred lines); a larger
// file is refused unread, naming it.
inline constexpr std::size_t kLedgerFileLimit = std::size_t{16} << 20;

class Ledger {
 public:
  // The ledger of a root ("c:\tef_dial\"); an absent file is an empty
  // ledger. Raises EInOutError when the file cannot be read or is larger
  // than kLedgerFileLimit.
  static Ledger Load(const std::string& root);
  // Moves the settled history beyond the kept ones to the archive (when
  // kArchiveBatch more have settled), then writes the ledger. Raises
  // EInOutError when the ledger cannot be written; an archive that cannot
  // be written leaves the history in the ledger for the next save.
  void Save();

  const LedgerEntry* Find(const TransactionKey& key) const;
  // Records the decision, not yet acknowledged.
  void Decide(const TransactionKey& key, Decision decision);
  // Marks it settled now: the entry joins the settled ones, newest last.
  void Acknowledge(const TransactionKey& key);

  const std::vector<LedgerEntry>& Entries() const { return entries_; }

 private:
  void MoveSettledHistory();

  std::string root_;
  std::vector<LedgerEntry> entries_;
};

// Name of the ledger file in a root.
std::string LedgerFile(const std::string& root);
// Names of the root's archive files ("qdm_tef_202612.ldg"), oldest first.
std::vector<std::string> LedgerArchives(const std::string& root);
// The ledger line of an entry, as the ledger and its archive hold it.
std::string LedgerLine(const LedgerEntry& entry);
// Reads a ledger line; false for a damaged one.
bool ParseLedgerLine(const std::string& line, LedgerEntry& entry);

}  // namespace Qdm00500::detail
