// The crash-consistency run: the register's card sale cut by a power
// failure at each of its file saves, then run again as a person would start
// it, and the till checked. Four sales are cut: the card sale that goes
// through; one whose closing the printer refuses after the card was
// approved (the register then cancels the coupon and the card); the card
// sale on a Daruma printer (its voucher in a management report); and the
// card sale on a disk too full for the TEF ledger (every save of it fails
// with ENOSPC: the confirmation goes to the manager all the same).
//
//   crash_run [--sample N] [--points N,N,...] [--only PREFIX] [--keep DIR] [--verbose]
//
// --only keeps the points whose kind starts with PREFIX ("daruma").
//
// A first run of each sale on a fresh home numbers every kill point
// (tests/crash/kill_points.c: each printer command's state save, each TEF
// file, each ledger and data-packet save, each journal line; in the middle
// of the save, before its rename, after it). Then, for each point chosen
// (all of them, or N spread over every kind of point), on a fresh home:
// the sale runs until the power fails at that point (the register's whole
// process group killed with SIGKILL), the register runs again normally, and
// the run checks that
//   - the run after the cut succeeded (exit 0);
//   - the printer has no document open, a coupon the cut left open was
//     cancelled at the start ("deixado aberto cancelado"), the next run
//     printed its own coupon, and the day's net sales equal what the
//     payments took (never a coupon registered in part);
//   - every approved card transaction ended confirmed or undone exactly
//     once, none both, none left pending (the manager's journal tells);
//     repeated and refused decisions are counted;
//   - every coupon the printer closed with a card payment stands on a
//     confirmed card sale (or, when the cut kept its voucher from printing,
//     on one the register undid itself with the operator told), and every
//     card sale whose coupon was cancelled or never closed ended undone;
//   - every data packet and TEF ledger loads whole;
//   - the home's TEF ledger, planted as full as it gets before its oldest
//     settled transactions move to the month's archive, ends with each of
//     them exactly once in the ledger or the archive, the archive whole.
// It prints each point and its outcome, then the counts. Exit 0 when every
// point passed.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/crash/checks.h"
#include "tests/support/child_program.h"
#include "tests/support/emulator_library.h"
#include "tests/support/temp_dir.h"

namespace crash_run {
namespace {

constexpr int kRunSeconds = 120;

using Options = RunOptions;

enum class Printer { Bematech, Daruma };

// A sale the run cuts: its name (the prefix of its kinds of point), what
// the register's environment adds to the cut run, the register's options
// (in the run after the cut too), the printer, how the sale ends without
// cuts, and whether its card coupon then stands (else its card is undone).
struct Scenario {
  const char* kind;
  std::vector<std::pair<std::string, std::string>> env;
  std::vector<std::string> args;
  Printer printer;
  int clean_exit;
  bool card_stands;
};
const Scenario kScenarios[] = {
    {"", {}, {}, Printer::Bematech, 0, true},
    // The printer refuses the coupon's closing ("34") once, after the card.
    {"fechamento recusado: ", {{"MP20FI_FAULT", "34:0,1"}}, {}, Printer::Bematech, 1, false},
    // The Daruma printer: the voucher in a management report.
    {"daruma: ", {}, {"--tipo", "7"}, Printer::Daruma, 0, true},
    // The disk is full for the TEF ledger: every save of it fails; the
    // card's decision goes to the manager all the same, the run fails.
    {"disco cheio no livro TEF: ", {{"QDM_FULL_DISK", "qdm_tef.ldg"}}, {}, Printer::Bematech, 1, true},
};

PrinterMemory ReadMemory(Printer printer, const fs::path& home) {
  return printer == Printer::Daruma ? ReadDarumaPrinter(home / "fs345.state") : ReadPrinter(home / "mp20fi.state");
}

// A point of the run: the sale it cuts and its number in that sale's run.
struct Point {
  const Scenario* scenario;
  long number;
  std::string name;  // its kind: the scenario's prefix and the event
};

struct Run {
  int exit_code = -1;
  int signal = 0;
  bool timed_out = false;
  std::string out;
};

std::string Bin() { return testsupport::ExecutableDirectory(); }

// The register on `home`, in a process group of its own (what a power cut
// takes); with `kill_at` > 0 (or 0 to trace) the kill points are armed.
Run RunRegister(const fs::path& home, const fs::path& work, long kill_at, const Scenario* scenario,
                bool with_env = true) {
  const fs::path out = work / "register.out";
  std::error_code ec;
  fs::remove(work / "counter", ec);
  const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  testsupport::ChildSetup setup;
  setup.out = setup.err = fd < 0 ? testsupport::ChildSetup::kNull : fd;
  setup.own_group = true;
  if (with_env) setup.env = scenario->env;
  for (auto& variable : KillPointsEnvironment(Bin(), work, kill_at)) setup.env.push_back(std::move(variable));
  std::vector<std::string> args = {"--dir", home.string(), "--unattended"};
  args.insert(args.end(), scenario->args.begin(), scenario->args.end());
  testsupport::ChildProgram register_program(Bin() + "/qdm_register", args, setup);
  if (fd >= 0) ::close(fd);
  Run run;
  if (!register_program.WaitFor(std::chrono::seconds(kRunSeconds))) {
    run.timed_out = true;
    register_program.Kill();
  }
  run.exit_code = register_program.exit_code();
  run.signal = register_program.signal();
  run.out = ReadAll(out);
  return run;
}

int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Kind of a point: the event and the file (a sale's archive names are
// always the same).
const std::string& KindOf(const std::string& point) { return point; }

struct Totals {
  int tried = 0, cut = 0, not_reached = 0, passed = 0, failed = 0;
  int open_after_cut = 0, cancelled_at_start = 0, work_files = 0;
  int history_moved = 0;  // points whose settled history reached the archive, once
  // Card sales against the coupons: closed with the card (and confirmed),
  // cancelled or never closed (and undone).
  int card_coupons = 0, card_coupons_confirmed = 0, card_coupons_unprinted = 0, card_coupons_undone_silently = 0;
  int sales_without_coupon = 0, sales_without_coupon_undone = 0;
  JournalTally tef;
  std::map<std::string, std::pair<int, int>> by_kind;  // passed, failed
};

void Add(JournalTally& into, const JournalTally& t) {
  using T = JournalTally;
  for (int T::*count : {&T::approved, &T::confirmed, &T::undone_by_client, &T::undone_by_manager, &T::cancelled,
                        &T::repeated, &T::refused, &T::torn_lines, &T::sales, &T::sales_confirmed, &T::sales_undone})
    into.*count += t.*count;
  into.confirmed_cents += t.confirmed_cents;
}

struct Trial {
  bool passed = false;
  std::string summary;
};

Trial TryPoint(long number, const Point& point, const PrinterMemory& clean, const fs::path& base, Totals& totals,
               const Options& options) {
  const std::string& expected = point.name;
  Trial trial;
  const fs::path work = base / ("point_" + std::to_string(number));
  const fs::path home = work / "home";
  fs::create_directories(home);
  PlantUsedLedger(home);
  std::vector<std::string> faults;

  const Run cut = RunRegister(home, work, point.number, point.scenario);
  const auto hit = TracedPoints(work / "trace");
  const bool reached = !hit.empty();
  std::string what = reached ? point.scenario->kind + hit.front() : expected + " (nao alcancado)";
  if (reached) {
    ++totals.cut;
    if (cut.signal != SIGKILL) faults.push_back("o corte nao matou o caixa");
  } else {
    ++totals.not_reached;
  }
  if (cut.timed_out) faults.push_back("o caixa cortado nao terminou");

  const Printer kind_of_printer = point.scenario->printer;
  const PrinterMemory after_cut = ReadMemory(kind_of_printer, home);
  if (after_cut.coupon_open) ++totals.open_after_cut;

  // The run after the cut: the same register, its disk no longer full.
  const Run next = RunRegister(home, work, -1, point.scenario, false);
  if (next.exit_code != 0)
    faults.push_back("a execucao seguinte terminou com " + std::to_string(next.exit_code) +
                     (next.signal ? " (sinal " + std::to_string(next.signal) + ")" : ""));
  const PrinterMemory printer = ReadMemory(kind_of_printer, home);
  // The Bematech start logs the coupon it cancels; on the Daruma the
  // printer's memory tells: nothing open, the next coupon printed.
  const bool cancelled = kind_of_printer == Printer::Daruma
                             ? after_cut.coupon_open && next.exit_code == 0 && !printer.document_open
                             : next.out.find("deixado aberto cancelado") != std::string::npos;
  if (after_cut.coupon_open && !cancelled) faults.push_back("cupom aberto pelo corte nao foi cancelado na partida");
  if (cancelled) ++totals.cancelled_at_start;

  if (!printer.readable) faults.push_back("memoria da impressora ilegivel");
  if (printer.document_open) faults.push_back("documento aberto depois da execucao seguinte");
  if (printer.net_sales != printer.paid)
    faults.push_back("venda liquida do dia " + std::to_string(printer.net_sales) + " e pagamentos " +
                     std::to_string(printer.paid) + " (centavos) nao conferem");
  if (printer.coupon_number < clean.coupon_number) faults.push_back("a execucao seguinte nao emitiu seu cupom");

  const JournalTally tef = TallyJournal(home / "drive_c" / "tef_dial" / "journal.txt");
  Add(totals.tef, tef);
  faults.insert(faults.end(), tef.faults.begin(), tef.faults.end());
  // Each coupon closed with the card stands on a confirmed card sale; a
  // coupon cancelled, or never closed, leaves its card sale undone, never
  // confirmed. The one exception is the trade's rule for a voucher the cut
  // kept from printing: the register undoes that card itself at its start
  // and tells the operator ("Cancelada a Transacao"), who collects the
  // amount otherwise; the manager never undoes a card a coupon stands on.
  // Every sale pays the card amount of the sale without cuts.
  const long long card_each = clean.card_paid;
  const int card_coupons = card_each > 0 ? static_cast<int>(printer.card_paid / card_each) : 0;
  const int without_coupon = tef.sales - card_coupons;
  const int unprinted = card_coupons - tef.sales_confirmed;  // closed coupons whose card was undone
  const int told = Occurrences(next.out, "Cancelada a Transa");
  if (card_each <= 0 || printer.card_paid % card_each != 0 || without_coupon < 0)
    faults.push_back("pagamentos com cartao na impressora (" + std::to_string(printer.card_paid) +
                     " centavos) nao correspondem a vendas no cartao");
  if (tef.confirmed_cents != tef.sales_confirmed * card_each || unprinted < 0)
    faults.push_back("venda no cartao confirmada sem cupom fechado: " + std::to_string(tef.sales_confirmed) +
                     " confirmadas, " + std::to_string(card_coupons) + " cupons com cartao");
  const bool silent = unprinted > 0 && (unprinted > told || unprinted > tef.undone_by_client);
  if (silent)
    faults.push_back("cupom fechado com cartao e transacao desfeita sem o operador avisado: " +
                     std::to_string(unprinted));
  if (tef.sales_undone != std::max(without_coupon, 0) + std::max(unprinted, 0))
    faults.push_back("vendas no cartao sem cupom fechado: " + std::to_string(without_coupon) +
                     ", desfeitas: " + std::to_string(tef.sales_undone - std::max(unprinted, 0)));
  totals.card_coupons += card_coupons;
  totals.card_coupons_confirmed += std::min(tef.sales_confirmed, card_coupons);
  (silent ? totals.card_coupons_undone_silently : totals.card_coupons_unprinted) += std::max(unprinted, 0);
  totals.sales_without_coupon += std::max(without_coupon, 0);
  totals.sales_without_coupon_undone +=
      std::min(std::max(tef.sales_undone - std::max(unprinted, 0), 0), std::max(without_coupon, 0));
  const auto files = CheckFiles(home);
  faults.insert(faults.end(), files.begin(), files.end());
  int moved = 0;
  const auto history = CheckLedgerHistory(home, moved);
  faults.insert(faults.end(), history.begin(), history.end());
  if (moved > 0) ++totals.history_moved;
  totals.work_files += LeftOverWorkFiles(home);

  trial.passed = faults.empty();
  ++totals.tried;
  ++(trial.passed ? totals.passed : totals.failed);
  auto& kind = totals.by_kind[KindOf(what)];
  ++(trial.passed ? kind.first : kind.second);

  char head[64];
  std::snprintf(head, sizeof head, "%4ld  %-4s ", number, trial.passed ? "ok" : "FALHA");
  trial.summary = head + what;
  trial.summary += "  [cupom aberto no corte: " + std::string(after_cut.coupon_open ? "sim" : "nao") +
                   "; TEF: " + std::to_string(tef.approved) + " aprovadas, " + std::to_string(tef.confirmed) +
                   " confirmadas, " + std::to_string(tef.undone_by_client + tef.undone_by_manager) + " desfeitas (" +
                   std::to_string(tef.undone_by_manager) + " pelo gerenciador)";
  if (tef.repeated) trial.summary += ", " + std::to_string(tef.repeated) + " repetidas";
  if (tef.refused) trial.summary += ", " + std::to_string(tef.refused) + " recusadas";
  trial.summary += "; cupons com cartao: " + std::to_string(card_coupons);
  if (unprinted > 0) trial.summary += " (" + std::to_string(unprinted) + " sem comprovante, desfeitos)";
  trial.summary += ", vendas sem cupom: " + std::to_string(without_coupon) + "]";
  for (const auto& f : faults) trial.summary += "\n        " + f;
  if (!trial.passed || options.verbose) trial.summary += "\n        saida seguinte:\n" + next.out.substr(0, 4000);
  std::error_code ec;
  if (trial.passed && options.keep.empty()) fs::remove_all(work, ec);
  return trial;
}

int Main(const Options& options) {
  fs::path base = options.keep;
  try {
    if (base.empty()) base = testsupport::MakeTempDir("qdm_crash_run");
  } catch (const std::runtime_error&) {
    return 2;
  }
  fs::create_directories(base);

  // Each sale whole, its kill points numbered. The card sale that goes
  // through is the measure of every check; the refused one must leave its
  // card cancelled and nothing pending.
  std::vector<Point> all;
  std::vector<std::string> points;
  // Each printer's card sale without cuts: the measure of its checks.
  std::map<Printer, PrinterMemory> cleans;
  for (const Scenario& scenario : kScenarios) {
    const fs::path traced = base / ("trace_run" + std::to_string(&scenario - kScenarios));
    fs::create_directories(traced / "home");
    PlantUsedLedger(traced / "home");
    const Run whole = RunRegister(traced / "home", traced, 0, &scenario);
    const auto traced_points = TracedPoints(traced / "trace");
    const PrinterMemory memory = ReadMemory(scenario.printer, traced / "home");
    const JournalTally tef = TallyJournal(traced / "home" / "drive_c" / "tef_dial" / "journal.txt");
    const bool card_sale = scenario.card_stands;
    if (card_sale && !cleans.count(scenario.printer)) cleans[scenario.printer] = memory;
    if (whole.exit_code != scenario.clean_exit || traced_points.empty() || !memory.readable ||
        memory.net_sales != memory.paid || (card_sale ? memory.card_paid <= 0 : memory.card_paid != 0) ||
        !tef.faults.empty() || (card_sale ? tef.sales_confirmed != 1 : tef.sales_undone != 1)) {
      std::cerr << "crash_run: the sale " << scenario.kind << "without cuts did not end as it should (exit "
                << whole.exit_code << ", " << traced_points.size() << " kill points)\n"
                << whole.out << '\n';
      return 1;
    }
    for (std::size_t i = 0; i < traced_points.size(); ++i) {
      all.push_back({&scenario, static_cast<long>(i + 1), scenario.kind + traced_points[i]});
      points.push_back(all.back().name);
    }
    std::map<std::string, int> kinds;
    for (const auto& p : traced_points) ++kinds[KindOf(p)];
    std::cout << "Venda com cartao" << (*scenario.kind ? std::string(" (") + scenario.kind + ")" : std::string())
              << ": " << traced_points.size() << " pontos de corte de " << kinds.size() << " tipos\n";
  }

  const std::vector<long> chosen = ChosenPoints(options, points);
  Totals totals;
  for (long number : chosen) {
    if (number < 1 || number > static_cast<long>(points.size())) continue;
    const Point& point = all[static_cast<std::size_t>(number - 1)];
    const Trial trial = TryPoint(number, point, cleans[point.scenario->printer], base, totals, options);
    std::cout << trial.summary << std::endl;
  }

  std::cout << "\nPor tipo de ponto (ok / falha):\n";
  for (const auto& [kind, counts] : totals.by_kind)
    std::printf("  %-40s %4d / %d\n", kind.c_str(), counts.first, counts.second);
  const auto& t = totals.tef;
  std::printf("\nPontos tentados: %d (cortes: %d, nao alcancados: %d); passaram: %d, falharam: %d\n"
              "Impressora: %d cupons abertos pelo corte, %d cancelados na partida seguinte\n"
              "TEF: %d transacoes aprovadas: %d confirmadas, %d desfeitas pelo caixa, %d desfeitas pelo gerenciador, "
              "%d canceladas depois; %d decisoes repetidas, %d recusadas; %d linhas cortadas no diario (marcadas)\n"
              "Cartao x cupom: %d cupons fechados com cartao: %d com a venda confirmada, %d com o comprovante nao "
              "impresso (desfeita pelo caixa, operador avisado), %d desfeitas sem aviso (falha); %d vendas no cartao "
              "em cupom cancelado ou nunca "
              "fechado: %d desfeitas\n"
              "Livro TEF: historico liquidado movido ao arquivo, uma vez e em ordem, em %d pontos\n"
              "Arquivos de trabalho deixados por gravacoes interrompidas: %d\n",
              totals.tried, totals.cut, totals.not_reached, totals.passed, totals.failed, totals.open_after_cut,
              totals.cancelled_at_start, t.approved, t.confirmed, t.undone_by_client, t.undone_by_manager, t.cancelled,
              t.repeated, t.refused, t.torn_lines, totals.card_coupons, totals.card_coupons_confirmed,
              totals.card_coupons_unprinted, totals.card_coupons_undone_silently, totals.sales_without_coupon,
              totals.sales_without_coupon_undone, totals.history_moved, totals.work_files);
  return EndRun(options, base, totals.failed);
}

}  // namespace
}  // namespace crash_run

int main(int argc, char** argv) {
  crash_run::Options options;
  if (const auto status = crash_run::ParseRunOptions(argc, argv, "crash_run", true, options)) return *status;
  return crash_run::Main(options);
}
