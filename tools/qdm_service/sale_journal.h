// The journal of sales by the caller's key ("idVenda"), for sales that
// survive a lost answer and a power failure. The key and its request are
// written and synced before the sale's first printer command, the outcome
// after its last. The same key again finds the stored outcome (and prints
// nothing); the same key with another request is a conflict; a key begun
// without an outcome is a sale a power failure (or a running request)
// holds, for the reconciliation at start to settle.
//
// One file, one JSON record per line, appended and synced; a last line cut
// by a power failure is dropped when the journal opens. Nothing of a key
// names a file.
#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qdm_service {

class SaleJournal {
 public:
  struct Entry {
    std::string key;
    std::string request;                 // the request in its canonical form
    std::optional<std::string> outcome;  // the answer as stored (JSON text)
    std::string progress;                // how far the sale went, as last journaled (JSON text)
    std::string begun;                   // when it began, "yyyy-mm-dd hh:nn:ss"
  };
  enum class Claim {
    Begun,     // journaled now, synced: the sale may start
    Pending,   // begun before, no outcome yet
    Done,      // the outcome is stored
    Conflict,  // the key holds another request
  };

  // Opens the journal (creating it, mode 0600). Raises std::runtime_error
  // (Windows-1252) when it cannot be read or written.
  explicit SaleJournal(std::string path);
  ~SaleJournal();
  SaleJournal(const SaleJournal&) = delete;
  SaleJournal& operator=(const SaleJournal&) = delete;

  // A key is 1 to 64 letters, digits, '-', '_', '.' or ':'.
  static bool ValidKey(const std::string& key);

  // Journals the key with its request, or tells what the key holds;
  // `entry` receives the key's entry either way.
  // `progress` and `begun` are journaled with it.
  Claim Begin(const std::string& key, const std::string& request, Entry* entry = nullptr,
              const std::string& progress = "", const std::string& begun = "");
  // Journals how far a begun key's sale went (synced before it goes on).
  void Progress(const std::string& key, const std::string& progress);
  // Journals the outcome of a begun key.
  void Finish(const std::string& key, const std::string& outcome);
  std::optional<Entry> Find(const std::string& key) const;
  // Keys begun without an outcome, in the order begun.
  std::vector<Entry> Pending() const;
  // Every key, in the order begun.
  std::vector<Entry> All() const;

 private:
  void Append(const std::string& line);

  std::string path_;
  int fd_ = -1;
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  std::vector<std::string> order_;
};

}  // namespace qdm_service
