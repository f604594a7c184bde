// The manager's journal: one line per event, appended and flushed as it
// happens, e.g.
//   2026-12-10 14:03:27 CRT id=0123456789 tipo=CRT nsu=000123 rede=REDECARD
//     valor=1234 fin=20261210140327000123 estado=PENDENTE
// (one line). Tokens are key=value with bytes outside printable ASCII,
// '%', '=' and blanks written as %XX; an optional "nota=" runs to the end
// of the line. Every line that names a transaction carries all of it, so
// the newest line naming a transaction is its state: the journal is the
// manager's memory across runs.
//
// At start the journal is read back from its end only as far as recovery
// needs: to the newest transaction made (the last document number, NSU;
// every approval pending before it was undone when it was made), and
// further only for a transaction still pending whose beginning is older
// (a sale a refused cancellation spared, one an undone cancellation gave
// back). An older transaction a request names is looked up in the journal
// when it is named, newest line first: a shop's years of journal are never
// read whole.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tef_emu {

enum class State { Pendente, Confirmada, Desfeita, Cancelada, Negada };

std::string_view state_name(State state);

struct Transaction {
  std::string kind;          // "CRT" card sale or "CNC" cancellation
  std::string nsu;           // document number, 012-000; unique per manager
  std::string network;       // 010-000
  long long amount = 0;      // cents, 003-000
  std::string finalisation;  // 027-000
  State state = State::Pendente;
  State before = State::Pendente;  // a cancelled sale's state before it
  std::string original;            // a cancellation's sale NSU
  // Its answer file was put whole into "resp" (journaled apart, by a line
  // "nota=resposta gravada: rede <network> doc <nsu>").
  bool answered = false;
};

class Journal {
 public:
  explicit Journal(std::filesystem::path path);

  // The file can be opened for appending.
  bool writable() const;

  // The newest state of a transaction; reads older lines of the journal
  // when it is not among those read so far.
  const Transaction* find(std::string_view network, std::string_view nsu) const;
  const Transaction* find_by_finalisation(std::string_view finalisation) const;
  std::string next_nsu() const;
  // Transactions approved and neither confirmed nor undone, in NSU order.
  std::vector<Transaction> pending() const;
  // Every transaction and the state it ended in, in NSU order.
  std::vector<Transaction> transactions() const;

  // Keeps the transaction as given and journals the event.
  void record(std::string_view command, std::string_view id, const Transaction& transaction,
              std::string_view note = {});
  // Journals that the answer of `transaction` is in place for the client.
  void answered(std::string_view command, std::string_view id, const Transaction& transaction);
  // Journals an event that changes no transaction.
  void note(std::string_view command, std::string_view id, std::string_view note);

  // The whole journal, one line per transaction, in NSU order:
  // "nsu=000123 tipo=CRT rede=REDECARD valor=1234 estado=CONFIRMADA".
  static std::string summary(const std::filesystem::path& path);

 private:
  void replay();
  void keep(const Transaction& transaction) const;
  // The newest older line (before those read) naming a transaction that
  // `matches`, kept as its state; nullptr when none does.
  const Transaction* look_back(const std::function<bool(const Transaction&)>& matches) const;
  void append(std::string line);

  std::filesystem::path path_;
  // The transactions read so far (their newest lines) and made since.
  mutable std::map<std::string, Transaction> transactions_;  // by NSU
  // The lines before this offset were not read at start.
  std::uint64_t unread_before_ = 0;
  mutable long long last_nsu_ = 0;
  bool torn_tail_ = false;  // the file ends inside a line
};

}  // namespace tef_emu
