// The ledger of settled transactions, one line per transaction:
//   CNF;1;REDECARD;000123;20261210140327000123;20261210140340
// decision; 1 once acknowledged (0 while the request may still be on its
// way); network, document and finalisation with ';', '%' and control
// bytes written as %XX; the moment it was settled (empty while it is not,
// absent in ledgers written before it was kept).
#include "tef/ledger.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/base/clock.h"
#include "platform/base/errors.h"
#include "platform/base/sysutils.h"
#include "platform/os/files.h"
#include "platform/text/datetime.h"
#include "tef/intpos_record.h"
#include "utility/utility.h"

namespace Qdm00500::detail {

namespace {

constexpr const char* kLedgerName = "qdm_tef.ldg";
constexpr const char* kArchivePrefix = "qdm_tef_";  // + yyyymm
constexpr const char* kArchiveSuffix = ".ldg";
// The end of an archive read back to see what an interrupted move left.
constexpr std::size_t kArchiveTailBytes = 64 * 1024;

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

bool AllDigits(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "qdm_tef_202612.ldg": the month's archive.
bool IsArchiveName(const std::string& name) {
  const std::string prefix = kArchivePrefix, suffix = kArchiveSuffix;
  if (name.size() != prefix.size() + 6 + suffix.size()) return false;
  return name.compare(0, prefix.size(), prefix) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
         AllDigits(name.substr(prefix.size(), 6));
}

std::string ArchiveNameFor(platform::TDateTime moment) {
  return kArchivePrefix + platform::FormatDateTime("yyyymm", moment) + kArchiveSuffix;
}

// Where the complete lines of a file end, from its last `tail` bytes and
// its size: a line an interrupted append left without its end is not one.
// `broken` tells that the tail holds no line end at all in a file longer
// than the tail (a line too long to judge): the append then starts after it.
std::size_t CompleteEnd(const std::string& tail, std::size_t size, bool& broken) {
  broken = false;
  const std::size_t end = tail.rfind('\n');
  if (end != std::string::npos) return size - tail.size() + end + 1;
  if (size <= tail.size()) return 0;
  broken = true;
  return size;
}

// The last complete line of `tail`, whose complete lines end at
// `end_in_tail` (just after a '\n'), without its CR LF.
std::string LastCompleteLine(const std::string& tail, std::size_t end_in_tail) {
  if (end_in_tail == 0) return "";
  const std::size_t newline = end_in_tail - 1;
  const std::size_t before = newline == 0 ? std::string::npos : tail.rfind('\n', newline - 1);
  const std::size_t start = before == std::string::npos ? 0 : before + 1;
  std::string line = tail.substr(start, newline - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// Appends the settled lines, oldest first, to the newest archive of the
// root (this month's, or a later one when the clock went back). A move cut
// by a power failure before the ledger was saved without them has put some
// or all of them there already: the archive's last complete line says how
// many, and they are not written twice; a line the cut left half written is
// dropped first. Raises EInOutError.
void AppendToArchive(const std::string& root, const std::vector<std::string>& lines) {
  const std::vector<std::string> archives = LedgerArchives(root);
  std::string name = ArchiveNameFor(platform::clock::Now());
  std::size_t from = 0;
  std::size_t offset = 0;
  std::string separator;
  if (!archives.empty()) {
    const std::string newest = root + archives.back();
    std::size_t size = 0;
    const std::string tail = platform::ReadFileTail(newest, kArchiveTailBytes, size);
    bool broken = false;
    const std::size_t complete = CompleteEnd(tail, size, broken);
    const std::string last = broken ? "" : LastCompleteLine(tail, complete - (size - tail.size()));
    if (!last.empty()) {
      const auto found = std::find(lines.begin(), lines.end(), last);
      if (found != lines.end()) from = static_cast<std::size_t>(found - lines.begin()) + 1;
    }
    if (archives.back() >= name) {
      name = archives.back();
      offset = complete;
      if (broken) separator = "\r\n";
    } else if (complete < size) {
      platform::WriteFileAt(newest, complete, "");
    }
  }
  if (from == lines.size()) return;
  std::string text = separator;
  for (std::size_t i = from; i < lines.size(); ++i) text += lines[i] + "\r\n";
  platform::WriteFileAt(root + name, offset, text);
}

}  // namespace

std::string LedgerLine(const LedgerEntry& entry) {
  return std::string(entry.decision == Decision::Confirm ? "CNF" : "NCN") + ";" + (entry.acknowledged ? "1" : "0") +
         ";" + Escape(entry.key.network) + ";" + Escape(entry.key.document) + ";" + Escape(entry.key.finalisation) +
         ";" + entry.settled_at;
}

bool ParseLedgerLine(const std::string& line, LedgerEntry& entry) {
  auto parts = Split(line);
  if (!parts.empty() && !parts.back().empty() && parts.back().back() == '\r') parts.back().pop_back();
  if ((parts.size() != 5 && parts.size() != 6) || (parts[0] != "CNF" && parts[0] != "NCN") ||
      (parts[1] != "0" && parts[1] != "1"))
    return false;
  if (parts.size() == 6 && !AllDigits(parts[5])) return false;
  entry.decision = parts[0] == "CNF" ? Decision::Confirm : Decision::Undo;
  entry.acknowledged = parts[1] == "1";
  entry.key = {Unescape(parts[2]), Unescape(parts[3]), Unescape(parts[4])};
  entry.settled_at = parts.size() == 6 ? parts[5] : "";
  return true;
}

TransactionKey KeyOf(const platform::TStringList& answer) {
  return {FieldValue(answer, "010-000"), FieldValue(answer, "012-000"), FieldValue(answer, "027-000")};
}

std::string LedgerFile(const std::string& root) { return root + kLedgerName; }

std::vector<std::string> LedgerArchives(const std::string& root) {
  std::vector<std::string> names;
  for (const std::string& name : platform::FindFiles(root, std::string(kArchivePrefix) + "*" + kArchiveSuffix))
    if (IsArchiveName(platform::LowerCase(name))) names.push_back(name);
  return names;
}

Ledger Ledger::Load(const std::string& root) {
  Ledger ledger;
  ledger.root_ = root;
  const std::string file = platform::HostPath(LedgerFile(root));
  if (!platform::FileExists(file)) return ledger;
  platform::TStringList lines;
  lines.SetText(platform::ReadFileBounded(file, kLedgerFileLimit));
  for (const std::string& line : lines.Lines()) {
    LedgerEntry entry;
    // A damaged line names no transaction we could match anyway.
    if (ParseLedgerLine(line, entry)) ledger.entries_.push_back(entry);
  }
  return ledger;
}

void Ledger::MoveSettledHistory() {
  const auto settled = static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [](const LedgerEntry& e) { return e.acknowledged; }));
  if (settled <= kSettledKept + kArchiveBatch) return;
  std::size_t moving = settled - kSettledKept;
  std::vector<std::string> lines;
  lines.reserve(moving);
  for (const LedgerEntry& entry : entries_) {
    if (lines.size() == moving) break;
    if (entry.acknowledged) lines.push_back(LedgerLine(entry));
  }
  try {
    AppendToArchive(root_, lines);
  } catch (const platform::Exception&) {
    return;  // kept here until the archive takes it
  }
  std::vector<LedgerEntry> kept;
  kept.reserve(entries_.size() - moving);
  for (LedgerEntry& entry : entries_) {
    if (entry.acknowledged && moving > 0) {
      --moving;
      continue;
    }
    kept.push_back(std::move(entry));
  }
  entries_ = std::move(kept);
}

void Ledger::Save() {
  MoveSettledHistory();
  std::string text;
  for (const LedgerEntry& entry : entries_) text += LedgerLine(entry) + "\r\n";
  platform::WriteFileAtomic(platform::HostPath(LedgerFile(root_)), text);
}

const LedgerEntry* Ledger::Find(const TransactionKey& key) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->key == key) return &*it;
  return nullptr;
}

void Ledger::Decide(const TransactionKey& key, Decision decision) {
  std::erase_if(entries_, [&](const LedgerEntry& e) { return e.key == key; });
  entries_.push_back({decision, false, key, ""});
}

void Ledger::Acknowledge(const TransactionKey& key) {
  const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const LedgerEntry& e) { return e.key == key; });
  if (it == entries_.end()) return;
  LedgerEntry entry = *it;
  entries_.erase(it);
  entry.acknowledged = true;
  entry.settled_at = platform::FormatDateTime("yyyymmddhhnnss", platform::clock::Now());
  entries_.push_back(std::move(entry));
}

}  // namespace Qdm00500::detail
