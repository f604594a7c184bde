// The ledger of settled transactions: which transactions this register has
// decided to confirm (CNF) or to undo (NCN), and whether the manager has
// acknowledged that decision. One small file per manager root, rewritten
// whole (beside its place, then renamed in) at every change.
//
// The decision is written before its request is sent and marked done after
// the acknowledgement, so a power failure at any point leaves a state the
// next start can finish: a decided transaction is never turned the other
// way, and an acknowledged one is never sent again.
#pragma once
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
};

class Ledger {
 public:
  // The ledger of a root ("c:\tef_dial\"); an absent file is an empty
  // ledger. Raises EInOutError when the file cannot be read.
  static Ledger Load(const std::string& root);
  // Raises EInOutError when the file cannot be written.
  void Save() const;

  const LedgerEntry* Find(const TransactionKey& key) const;
  // Records the decision, not yet acknowledged.
  void Decide(const TransactionKey& key, Decision decision);
  void Acknowledge(const TransactionKey& key);

  const std::vector<LedgerEntry>& Entries() const { return entries_; }

 private:
  std::string file_;
  std::vector<LedgerEntry> entries_;
};

// Name of the ledger file in a root.
std::string LedgerFile(const std::string& root);

}  // namespace Qdm00500::detail
