#include "tests/crash/checks.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <algorithm>
#include <map>
#include <set>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/dataset/dataset.h"
#include "platform/dataset/stringlist.h"
#include "platform/os/files.h"
#include "tef/ledger.h"
#include "emulators/bematech/state_file.h"
#include "emulators/daruma/printer_state.h"
#include "emulators/common/files.h"
#include "emulators/common/state_memory.h"

namespace crash_run {

namespace {

struct Event {
  std::string nsu, kind, state, note;
  long long amount = 0;
};

// "date time COMMAND key=value ... [nota=text]": the keys this run needs.
bool ParseEvent(const std::string& line, Event& event) {
  std::istringstream in(line);
  std::string word;
  for (int skip = 0; skip < 3; ++skip)
    if (!(in >> word)) return false;
  while (in >> word) {
    const auto eq = word.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = word.substr(0, eq);
    if (key == "nota") {
      const auto at = line.find(" nota=");
      event.note = line.substr(at + 6);
      break;
    }
    const std::string value = word.substr(eq + 1);
    if (key == "nsu") event.nsu = value;
    if (key == "tipo") event.kind = value;
    if (key == "estado") event.state = value;
    if (key == "valor") event.amount = std::atoll(value.c_str());
  }
  return true;
}

bool StartsWith(const std::string& text, const std::string& head) { return text.rfind(head, 0) == 0; }

}  // namespace

JournalTally TallyJournal(const fs::path& journal) {
  JournalTally tally;
  std::ifstream in(journal, std::ios::binary);
  std::map<std::string, std::vector<Event>> by_nsu;
  std::vector<std::string> order;
  std::string line;
  while (std::getline(in, line)) {
    Event event;
    if (!ParseEvent(line, event)) {
      ++tally.torn_lines;
      continue;
    }
    if (StartsWith(event.note, "ja ")) ++tally.repeated;
    if (StartsWith(event.note, "recusada")) ++tally.refused;
    if (event.nsu.empty() || event.state.empty()) continue;
    if (!by_nsu.count(event.nsu)) order.push_back(event.nsu);
    by_nsu[event.nsu].push_back(event);
  }
  for (const auto& nsu : order) {
    const auto& events = by_nsu[nsu];
    if (events.front().state == "NEGADA") continue;
    ++tally.approved;
    int settled = 0;
    bool confirmed = false, undone = false;
    std::string state = events.front().state;
    for (std::size_t i = 1; i < events.size(); ++i) {
      const Event& e = events[i];
      if (state == "PENDENTE" && e.state != "PENDENTE") {
        ++settled;
        if (e.state == "CONFIRMADA") ++tally.confirmed, confirmed = true;
        if (e.state == "DESFEITA") {
          undone = true;
          if (StartsWith(e.note, "desfeita pelo gerenciador"))
            ++tally.undone_by_manager;
          else
            ++tally.undone_by_client;
        }
      } else if (state != "PENDENTE" && e.state == "PENDENTE") {
        tally.faults.push_back("transacao " + nsu + " voltou a PENDENTE");
      }
      if (e.state == "CONFIRMADA") confirmed = true;
      if (e.state == "DESFEITA") undone = true;
      if (e.state == "CANCELADA" && state != "CANCELADA") ++tally.cancelled;
      state = e.state;
    }
    if (events.front().kind == "CRT") {
      ++tally.sales;
      if (state == "CONFIRMADA") ++tally.sales_confirmed, tally.confirmed_cents += events.back().amount;
      if (state == "DESFEITA") ++tally.sales_undone;
    }
    if (state == "PENDENTE") tally.faults.push_back("transacao " + nsu + " ficou PENDENTE");
    if (settled > 1) tally.faults.push_back("transacao " + nsu + " decidida mais de uma vez");
    if (confirmed && undone) tally.faults.push_back("transacao " + nsu + " confirmada e desfeita");
  }
  return tally;
}

PrinterMemory ReadPrinter(const fs::path& state_file) {
  PrinterMemory memory;
  std::string text;
  if (emu::ReadWholeFile(state_file.string(), text, emu::kStateFileLimit) != emu::ReadResult::Read) return memory;
  const std::optional<mp20emu::FiscalState> read = mp20emu::ParseState(text);
  if (!read) return memory;
  const mp20emu::FiscalState& state = *read;
  memory.readable = true;
  memory.coupon_open = state.CouponOpen();
  memory.document_open = state.DocumentOpen();
  memory.coupon_number = state.coo;
  memory.net_sales = state.day.Net();
  const int cash = state.MethodNumber("Dinheiro");
  for (std::size_t i = 0; i < state.day.method_amounts.size(); ++i) {
    memory.paid += state.day.method_amounts[i];
    if (static_cast<int>(i + 1) != cash) memory.card_paid += state.day.method_amounts[i];
  }
  memory.paid -= state.day.change;
  return memory;
}

PrinterMemory ReadDarumaPrinter(const fs::path& state_file) {
  PrinterMemory memory;
  std::string text;
  if (emu::ReadWholeFile(state_file.string(), text, emu::kStateFileLimit) != emu::ReadResult::Read) return memory;
  const std::optional<daremu::PrinterState> read = daremu::ParseState(text);
  if (!read) return memory;
  const daremu::PrinterState& state = *read;
  memory.readable = true;
  memory.coupon_open = state.CouponOpen();
  memory.document_open = state.open != daremu::Document::None;
  memory.coupon_number = state.coo;
  // A cancelled coupon takes its sale and its payments back.
  memory.net_sales = state.day_sales;
  for (const daremu::Method& method : state.methods) {
    memory.paid += method.day_amount;
    if (method.name.rfind("Dinheiro", 0) != 0) memory.card_paid += method.day_amount;
  }
  return memory;
}

std::vector<std::string> CheckFiles(const fs::path& home) {
  std::vector<std::string> faults;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(home, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    const std::string name = path.filename().string();
    if (!it->is_regular_file() || name.front() == '.') continue;
    try {
      if (path.extension() == ".cds") {
        platform::TClientDataSet packet("check");
        packet.LoadFromFile(path.string());
      } else if (name == "qdm_tef.ldg") {
        // The ledger skips a line it cannot read, so a torn one shows as a
        // line count the entries do not reach.
        const auto root = path.parent_path().string() + "/";
        const auto ledger = Qdm00500::detail::Ledger::Load(root);
        platform::TStringList lines;
        lines.LoadFromFile(path.string());
        const std::string bytes = platform::ReadFileBytes(path.string());
        if (static_cast<int>(ledger.Entries().size()) != lines.Count() || (!bytes.empty() && bytes.back() != '\n'))
          faults.push_back("livro TEF rasgado: " + path.string());
      }
    } catch (const std::exception& e) {
      faults.push_back(path.string() + " nao carrega: " + e.what());
    }
  }
  return faults;
}

namespace {

constexpr int kPlanted = static_cast<int>(Qdm00500::detail::kSettledKept + Qdm00500::detail::kArchiveBatch);

fs::path DialRoot(const fs::path& home) { return home / "drive_c" / "tef_dial"; }

std::string PlantedDocument(int n) { return "P" + std::to_string(100000 + n); }

}  // namespace

void PlantUsedLedger(const fs::path& home) {
  fs::create_directories(DialRoot(home));
  std::ofstream ledger(DialRoot(home) / "qdm_tef.ldg", std::ios::binary);
  for (int n = 1; n <= kPlanted; ++n)
    ledger << "CNF;1;REDECARD;" << PlantedDocument(n) << ";F" << PlantedDocument(n) << ";20261209100000\r\n";
}

std::vector<std::string> CheckLedgerHistory(const fs::path& home, int& moved) {
  std::vector<std::string> faults;
  moved = 0;
  std::map<std::string, int> seen;
  auto read_lines = [&](const fs::path& file, bool archive) {
    std::string bytes;
    try {
      bytes = platform::ReadFileBytes(file.string());
    } catch (const std::exception& e) {
      faults.push_back(file.string() + " nao carrega: " + e.what());
      return;
    }
    if (!bytes.empty() && bytes.back() != '\n') faults.push_back("linha cortada no fim de " + file.string());
    platform::TStringList lines;
    lines.SetText(bytes);
    for (const std::string& line : lines.Lines()) {
      Qdm00500::detail::LedgerEntry entry;
      if (!Qdm00500::detail::ParseLedgerLine(line, entry)) {
        faults.push_back("linha ilegivel em " + file.string() + ": " + line.substr(0, 80));
        continue;
      }
      if (entry.key.document.rfind("P", 0) != 0) continue;
      ++seen[entry.key.document];
      if (archive && entry.key.document != PlantedDocument(++moved))
        faults.push_back("arquivo do livro TEF fora de ordem: " + entry.key.document);
    }
  };
  const std::string root = DialRoot(home).string() + "/";
  for (const std::string& name : Qdm00500::detail::LedgerArchives(root)) read_lines(root + name, true);
  if (fs::exists(DialRoot(home) / "qdm_tef.ldg")) read_lines(DialRoot(home) / "qdm_tef.ldg", false);
  for (int n = 1; n <= kPlanted; ++n) {
    const int times = seen[PlantedDocument(n)];
    if (times != 1)
      faults.push_back("transacao liquidada " + PlantedDocument(n) + " no livro TEF e no arquivo " +
                       std::to_string(times) + " vezes");
  }
  return faults;
}

int LeftOverWorkFiles(const fs::path& home) {
  int count = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(home, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.front() == '.' && it->path().extension() == ".tmp") ++count;
  }
  return count;
}

std::optional<int> ParseRunOptions(int argc, char** argv, const std::string& program, bool with_only,
                                   RunOptions& options) {
  CLI::App app("Cuts the register at each file save and checks the run after the cut", program);
  app.add_option("--sample", options.sample, "points chosen evenly (0: every point)");
  app.add_option("--points", options.points, "these points only")->delimiter(',');
  if (with_only) app.add_option("--only", options.only, "the points whose kind starts so");
  app.add_option("--keep", options.keep, "keeps every point's home under this directory");
  app.add_flag("--verbose", options.verbose, "shows the run after the cut of every point");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return std::nullopt;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> TracedPoints(const fs::path& trace) {
  std::vector<std::string> points;
  std::istringstream in(ReadAll(trace));
  std::string line;
  while (std::getline(in, line))
    if (const auto tab = line.find('\t'); tab != std::string::npos) points.push_back(line.substr(tab + 1));
  return points;
}

namespace {

// `count` points: kinds spread over the whole list first (one point of a
// kind, from the middle of the sale out), then more of each, round after
// round.
std::vector<long> Sample(const std::vector<std::string>& points, int count) {
  std::map<std::string, std::vector<long>> by_kind;
  for (std::size_t i = 0; i < points.size(); ++i) by_kind[points[i]].push_back(static_cast<long>(i + 1));
  std::vector<std::vector<long>> kinds;
  for (auto& [kind, numbers] : by_kind) kinds.push_back(numbers);
  const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), points.size());
  std::set<long> chosen;
  for (std::size_t round = 0; chosen.size() < want; ++round) {
    const std::size_t per_round = std::min(kinds.size(), want - chosen.size());
    bool any = false;
    for (std::size_t i = 0; i < per_round; ++i) {
      const auto& numbers = kinds[i * kinds.size() / per_round];
      if (round >= numbers.size()) continue;
      any = true;
      chosen.insert(numbers[(numbers.size() / 2 + round * 5) % numbers.size()]);
    }
    if (!any) {  // the spread kinds are spent: any point not yet tried
      for (std::size_t n = 1; n <= points.size() && chosen.size() < want; ++n) chosen.insert(static_cast<long>(n));
    }
  }
  return {chosen.begin(), chosen.end()};
}

}  // namespace

std::vector<long> ChosenPoints(const RunOptions& options, const std::vector<std::string>& points) {
  std::vector<long> chosen = options.points;
  if (chosen.empty()) {
    if (options.sample > 0) {
      chosen = Sample(points, options.sample);
    } else {
      for (std::size_t i = 1; i <= points.size(); ++i) chosen.push_back(static_cast<long>(i));
    }
  }
  std::erase_if(chosen, [&](long n) {
    return n < 1 || n > static_cast<long>(points.size()) ||
           points[static_cast<std::size_t>(n - 1)].rfind(options.only, 0) != 0;
  });
  return chosen;
}

std::vector<std::pair<std::string, std::string>> KillPointsEnvironment(const std::string& bin, const fs::path& work,
                                                                       long kill_at) {
  if (kill_at < 0) return {};
  // The kill points stand before the sanitizers' run-time in a sanitized
  // build.
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string options = asan && *asan ? std::string(asan) + ":" : "";
  return {{"LD_PRELOAD", bin + "/libqdm_kill_points.so"},
          {"QDM_KILL_COUNTER", (work / "counter").string()},
          {"QDM_KILL_TRACE", (work / "trace").string()},
          {"QDM_KILL_AT", std::to_string(kill_at)},
          {"ASAN_OPTIONS", options + "verify_asan_link_order=0"}};
}

int EndRun(const RunOptions& options, const fs::path& base, int failed) {
  std::error_code ec;
  if (options.keep.empty() && failed == 0) fs::remove_all(base, ec);
  if (failed) std::cout << "Casas dos pontos que falharam: " << base << '\n';
  return failed == 0 ? 0 : 1;
}

}  // namespace crash_run
