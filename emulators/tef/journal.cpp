#include "emulators/tef/journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

#include "emulators/common/clock.h"
#include "emulators/tef/manager_clock.h"
#include "emulators/common/escape.h"
#include "emulators/tef/journal_lines.h"

namespace tef_emu {
namespace {

constexpr std::array<std::string_view, 5> state_names{"PENDENTE", "CONFIRMADA", "DESFEITA", "CANCELADA", "NEGADA"};

std::optional<State> state_from_name(std::string_view name) {
  for (std::size_t i = 0; i < state_names.size(); ++i)
    if (state_names[i] == name) return static_cast<State>(i);
  return std::nullopt;
}

// Note of the line that says an answer was put in place for the client.
constexpr const char* answered_note = "resposta gravada: ";

// Ends a line a power failure cut, so that it never reads as an event.
constexpr const char* torn_mark = "linha-cortada";

// Values of the journal's tokens: blanks, '=' and bytes outside printable
// ASCII as %XX, so a line splits on blanks and reads on any terminal.
std::string encode(std::string_view text) { return emu::PercentEscape(text, " =", true); }

// A token that is not well escaped (a line edited by hand) is taken as it
// stands.
std::string decode(std::string_view text) { return emu::PercentUnescape(text).value_or(std::string(text)); }

long long number_or_zero(std::string_view text) {
  long long value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return (ec == std::errc() && ptr == text.data() + text.size()) ? value : 0;
}

std::string transaction_tokens(const Transaction& t) {
  std::string tokens = "tipo=" + encode(t.kind) + " nsu=" + encode(t.nsu) + " rede=" + encode(t.network) +
                       " valor=" + std::to_string(t.amount) + " fin=" + encode(t.finalisation) +
                       " estado=" + std::string(state_name(t.state));
  if (t.state == State::Cancelada) tokens += " antes=" + std::string(state_name(t.before));
  if (!t.original.empty()) tokens += " orig=" + encode(t.original);
  return tokens;
}

// Key/value tokens of a journal line after its date, time and command.
std::map<std::string, std::string> line_tokens(const std::string& line) {
  std::map<std::string, std::string> tokens;
  std::istringstream in(line);
  std::string word;
  for (int skip = 0; skip < 3 && in >> word; ++skip) {
  }
  while (in >> word) {
    const auto eq = word.find('=');
    // A bare word before the note marks a line cut by a power failure.
    if (eq == std::string::npos) return {};
    if (word.compare(0, eq, "nota") == 0) break;
    tokens[word.substr(0, eq)] = decode(std::string_view(word).substr(eq + 1));
  }
  return tokens;
}

// What a journal line says.
struct JournalLine {
  enum class Kind { Other, Event, Answered } kind = Kind::Other;
  std::string id;            // the request's identifier
  Transaction transaction;   // an event's transaction as it stands after it
  bool made = false;         // the event that made the transaction (its command is its kind)
  std::string network, nsu;  // the transaction whose answer was put in place
};

JournalLine parse_line(const std::string& line) {
  JournalLine parsed;
  std::istringstream words(line);
  std::string date, time, command;
  if (!(words >> date >> time >> command)) return parsed;
  // "... nota=resposta gravada: rede REDECARD doc 000123": the answer of
  // that transaction was put in place for the client.
  const auto at = line.find(std::string(" nota=") + answered_note);
  if (at != std::string::npos) {
    std::istringstream rest(line.substr(at + 6 + std::strlen(answered_note)));
    std::string rede, network, doc, nsu;
    if ((rest >> rede >> network >> doc >> nsu) && rede == "rede" && doc == "doc") {
      parsed.kind = JournalLine::Kind::Answered;
      parsed.network = decode(network);
      parsed.nsu = decode(nsu);
    }
    return parsed;
  }
  auto tokens = line_tokens(line);
  parsed.id = tokens["id"];
  const auto state = state_from_name(tokens["estado"]);
  if (!state || tokens["nsu"].empty() || tokens["tipo"].empty()) return parsed;
  Transaction& t = parsed.transaction;
  t.kind = tokens["tipo"];
  t.nsu = tokens["nsu"];
  t.network = tokens["rede"];
  t.amount = number_or_zero(tokens["valor"]);
  t.finalisation = tokens["fin"];
  t.state = *state;
  t.before = state_from_name(tokens["antes"]).value_or(State::Pendente);
  t.original = tokens["orig"];
  parsed.kind = JournalLine::Kind::Event;
  parsed.made = command == t.kind;
  return parsed;
}

}  // namespace

std::string_view state_name(State state) { return state_names[static_cast<std::size_t>(state)]; }

Journal::Journal(std::filesystem::path path) : path_(std::move(path)) { replay(); }

bool Journal::writable() const {
  const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Back from the end: every line of the newest transaction's request (the
// approvals it undid before making it, a sale an undone cancellation gave
// back), then on only while a transaction still pending has its first line
// ahead, or the sale the newest cancellation spared is not yet known.
void Journal::replay() {
  const JournalEnd end = journal_end(path_);
  // A last line without its end was cut by a power failure before the
  // manager acted on it (the journal is written first): it is not
  // replayed, and the next event ends it with a mark that keeps it from
  // ever being read as an event, then starts a line of its own.
  torn_tail_ = end.torn;
  unread_before_ = end.lines_end;
  std::set<std::pair<std::string, std::string>> answered;  // notes read before their transaction
  std::set<std::string> unfinished;                        // pending, first line not yet read
  bool newest_made = false, past_its_request = false;
  std::string made_id, spared;
  for_each_line_backward(path_, end.lines_end, [&](const std::string& line, std::uint64_t start) {
    unread_before_ = start;
    const JournalLine parsed = parse_line(line);
    if (newest_made && parsed.id != made_id) past_its_request = true;
    if (parsed.kind == JournalLine::Kind::Answered) {
      const auto it = transactions_.find(parsed.nsu);
      if (it != transactions_.end() && it->second.network == parsed.network)
        it->second.answered = true;
      else
        answered.insert({parsed.network, parsed.nsu});
    } else if (parsed.kind == JournalLine::Kind::Event) {
      const Transaction& t = parsed.transaction;
      if (!transactions_.count(t.nsu)) {
        Transaction newest = t;
        newest.answered = answered.count({t.network, t.nsu}) > 0;
        keep(newest);
        if (newest.state == State::Pendente && !parsed.made) unfinished.insert(t.nsu);
      } else if (parsed.made) {
        unfinished.erase(t.nsu);
      }
      if (parsed.made && !newest_made) {
        newest_made = true;
        made_id = parsed.id;
        if (t.kind == "CNC") spared = t.original;
      }
    }
    if (!spared.empty() && transactions_.count(spared)) spared.clear();
    return !(past_its_request && spared.empty() && unfinished.empty());
  });
}

void Journal::answered(std::string_view command, std::string_view id, const Transaction& transaction) {
  transactions_[transaction.nsu].answered = true;
  note(command, id,
       std::string(answered_note) + "rede " + encode(transaction.network) + " doc " + encode(transaction.nsu));
}

void Journal::keep(const Transaction& transaction) const {
  transactions_[transaction.nsu] = transaction;
  last_nsu_ = std::max(last_nsu_, number_or_zero(transaction.nsu));
}

const Transaction* Journal::look_back(const std::function<bool(const Transaction&)>& matches) const {
  const Transaction* found = nullptr;
  for_each_line_backward(path_, unread_before_, [&](const std::string& line, std::uint64_t) {
    const JournalLine parsed = parse_line(line);
    if (parsed.kind != JournalLine::Kind::Event) return true;
    const Transaction& t = parsed.transaction;
    // A transaction read already has its newest state in memory.
    if (transactions_.count(t.nsu) || !matches(t)) return true;
    keep(t);
    found = &transactions_.at(t.nsu);
    return false;
  });
  return found;
}

const Transaction* Journal::find(std::string_view network, std::string_view nsu) const {
  if (nsu.empty()) return nullptr;
  const auto it = transactions_.find(std::string(nsu));
  const Transaction* t =
      it != transactions_.end() ? &it->second : look_back([&](const Transaction& older) { return older.nsu == nsu; });
  return (t && t->network == network) ? t : nullptr;
}

const Transaction* Journal::find_by_finalisation(std::string_view finalisation) const {
  if (finalisation.empty()) return nullptr;
  for (const auto& [nsu, t] : transactions_)
    if (t.finalisation == finalisation) return &t;
  return look_back([&](const Transaction& older) { return older.finalisation == finalisation; });
}

std::string Journal::next_nsu() const {
  char text[24];
  std::snprintf(text, sizeof text, "%06lld", last_nsu_ + 1);
  return text;
}

std::vector<Transaction> Journal::pending() const {
  std::vector<Transaction> found;
  for (const auto& [nsu, t] : transactions_)
    if (t.state == State::Pendente) found.push_back(t);
  return found;
}

std::vector<Transaction> Journal::transactions() const {
  std::vector<Transaction> found;
  for (const auto& [nsu, t] : transactions_) found.push_back(t);
  return found;
}

void Journal::record(std::string_view command, std::string_view id, const Transaction& transaction,
                     std::string_view note) {
  keep(transaction);
  std::string line = std::string(command) + " id=" + encode(id) + " " + transaction_tokens(transaction);
  if (!note.empty()) line += " nota=" + std::string(note);
  append(std::move(line));
}

void Journal::note(std::string_view command, std::string_view id, std::string_view note) {
  append(std::string(command.empty() ? "?" : command) + " id=" + encode(id) + " nota=" + std::string(note));
}

void Journal::append(std::string line) {
  for (auto& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  line = emu::Format(manager_clock().Now(), "%Y-%m-%d %H:%M:%S ") + line + "\n";
  if (torn_tail_) line.insert(0, std::string(" ") + torn_mark + "\n");
  // Opened, written and closed per event: a crash loses no finished line.
  const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  const bool ok = fd >= 0 && ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  if (ok) torn_tail_ = false;
  if (fd >= 0) ::close(fd);
  if (!ok)
    std::cerr << "tef_manager: n\xC3\xA3o \xC3\xA9 poss\xC3\xADvel gravar o di\xC3\xA1rio " << path_.string() << ": "
              << std::strerror(errno) << '\n';
}

std::string Journal::summary(const std::filesystem::path& path) {
  std::map<std::string, Transaction> all;  // by NSU, each at its newest line
  for_each_line(path, [&](const std::string& line) {
    const JournalLine parsed = parse_line(line);
    if (parsed.kind == JournalLine::Kind::Event) all[parsed.transaction.nsu] = parsed.transaction;
  });
  std::string text;
  for (const auto& [nsu, t] : all) {
    text += "nsu=" + encode(t.nsu) + " tipo=" + encode(t.kind) + " rede=" + encode(t.network) +
            " valor=" + std::to_string(t.amount) + " estado=" + std::string(state_name(t.state));
    if (!t.original.empty()) text += " orig=" + encode(t.original);
    text += '\n';
  }
  return text;
}

}  // namespace tef_emu
