// The ledger of settled transactions, one line per transaction:
//   CNF;1;REDECARD;000123;20261210140327000123
// decision; 1 once acknowledged (0 while the request may still be on its
// way); network, document and finalisation with ';', '%' and control
// bytes written as %XX.
#include "tef/ledger.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "utility/utility.h"
#include "platform/os/files.h"
#include "tef/intpos_record.h"

namespace Qdm00500::detail {

namespace {

// Settled transactions kept for late duplicates; undecided ones are never
// dropped. A sale's answers live far shorter than this many transactions.
constexpr std::size_t kSettledKept = 200;
constexpr const char* kLedgerName = "qdm_tef.ldg";

std::string Escape(const std::string& value) {
  std::string out;
  for (unsigned char c : value) {
    if (c < 0x20 || c == ';' || c == '%' || c == 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Unescape(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const bool escaped = value[i] == '%' && i + 2 < value.size() &&
                         std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
                         std::isxdigit(static_cast<unsigned char>(value[i + 2]));
    if (escaped) {
      out += static_cast<char>(util::HexaToInt(value.substr(i + 1, 2)));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts(1);
  for (char c : line) {
    if (c == ';')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

bool ParseEntry(const std::string& line, LedgerEntry& entry) {
  const auto parts = Split(line);
  if (parts.size() != 5 || (parts[0] != "CNF" && parts[0] != "NCN") ||
      (parts[1] != "0" && parts[1] != "1"))
    return false;
  entry.decision = parts[0] == "CNF" ? Decision::Confirm : Decision::Undo;
  entry.acknowledged = parts[1] == "1";
  entry.key = {Unescape(parts[2]), Unescape(parts[3]), Unescape(parts[4])};
  return true;
}

std::string EntryLine(const LedgerEntry& entry) {
  return std::string(entry.decision == Decision::Confirm ? "CNF" : "NCN") + ";" +
         (entry.acknowledged ? "1" : "0") + ";" + Escape(entry.key.network) + ";" +
         Escape(entry.key.document) + ";" + Escape(entry.key.finalisation);
}

}  // namespace

TransactionKey KeyOf(const platform::TStringList& answer) {
  return {FieldValue(answer, "010-000"), FieldValue(answer, "012-000"),
          FieldValue(answer, "027-000")};
}

std::string LedgerFile(const std::string& root) { return root + kLedgerName; }

Ledger Ledger::Load(const std::string& root) {
  Ledger ledger;
  ledger.file_ = platform::HostPath(LedgerFile(root));
  if (!platform::FileExists(ledger.file_)) return ledger;
  platform::TStringList lines;
  lines.LoadFromFile(ledger.file_);
  for (const std::string& line : lines.Lines()) {
    LedgerEntry entry;
    // A damaged line names no transaction we could match anyway.
    if (ParseEntry(line, entry)) ledger.entries_.push_back(entry);
  }
  return ledger;
}

void Ledger::Save() const {
  platform::TStringList lines;
  for (const LedgerEntry& entry : entries_) lines.Add(EntryLine(entry));
  lines.SaveToFile(file_);
}

const LedgerEntry* Ledger::Find(const TransactionKey& key) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->key == key) return &*it;
  return nullptr;
}

void Ledger::Decide(const TransactionKey& key, Decision decision) {
  std::erase_if(entries_, [&](const LedgerEntry& e) { return e.key == key; });
  entries_.push_back({decision, false, key});
  // The oldest settled transactions make room; undecided ones stay.
  std::size_t settled = std::count_if(entries_.begin(), entries_.end(),
                                      [](const LedgerEntry& e) { return e.acknowledged; });
  for (auto it = entries_.begin(); settled > kSettledKept && it != entries_.end();) {
    if (it->acknowledged) {
      it = entries_.erase(it);
      --settled;
    } else {
      ++it;
    }
  }
}

void Ledger::Acknowledge(const TransactionKey& key) {
  for (LedgerEntry& entry : entries_)
    if (entry.key == key) entry.acknowledged = true;
}

}  // namespace Qdm00500::detail
