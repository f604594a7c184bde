// A card sale's TEF work on a register whose ledger holds a year of card
// transactions (180 000, as a shop with 500 card sales a day settles them)
// against a fresh register's: the start's resolution of what an earlier run
// left (CheckIntPosFiles), the probe, and the confirmation of the approved
// card once its voucher is printed (ImprCupons), against an in-process
// manager on the frozen clock, so that only the register's own file work
// is measured. The ratio (year / fresh) shows whether the ledger's cost
// grows with the shop's age: counter year/fresh (wall time; year/fresh_cpu
// the processor's), the median of five runs. BM_FirstSaleAfterAYear is the
// one sale that moves a year's ledger of the older layout to the archive.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "facade/Qdm00000.h"
#include "package/Pkg_Qdm_testing.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/files.h"
#include "platform/text/datetime.h"
#include "tef/Qdm00500.h"
#include "tests/tef/fake_manager.h"
#include "tests/support/temp_dir.h"
#include "tests/tef/tef_records.h"

namespace {

constexpr int kYearOfCardSales = 180000;
constexpr int kWeekOfCardSales = 3500;

// A register's drive c: with the dial manager's root, and the manager.
class Home {
 public:
  Home() {
    root_ = drive_ + "/tef_dial";
    std::filesystem::create_directories(root_ + "/req");
    std::filesystem::create_directories(root_ + "/resp");
    Use();
  }
  Home(const Home&) = delete;
  Home& operator=(const Home&) = delete;

  // This home's drive c: and manager (the one message hook: the manager
  // before it lets go of it first).
  void Use() {
    platform::MapDrive('c', drive_);
    manager_.reset();
    manager_ = std::make_unique<tef_test::FakeManager>();
    manager_->Serve(root_);
  }
  // The ledger `sales` settled card sales left in the older layout.
  void PlantLedger(int sales) const {
    std::string text;
    text.reserve(static_cast<std::size_t>(sales) * 48);
    for (int n = 1; n <= sales; ++n)
      text += "CNF;1;REDECARD;" + std::to_string(100000 + n) + ";2025121014" + std::to_string(1000000 + n) + "\r\n";
    platform::WriteFileAtomic(root_ + "/qdm_tef.ldg", text);
  }
  // Back to a register that never sold by card.
  void Forget() const {
    for (const auto& entry : std::filesystem::directory_iterator(root_))
      if (entry.is_regular_file()) std::filesystem::remove(entry.path());
  }

  // One card sale's TEF work: the start, the probe, the approved answer
  // archived as the front end keeps it, the voucher "printed" (no printer
  // text) and the card confirmed.
  bool CardSale() {
    ++sale_;
    bool ok = Qdm00500::CheckIntPosFiles();
    Qdm00500::DirTefPorRede("REDECARD");  // the network chosen for the card
    ok = Qdm00500::CheckGPAtivo() && ok;
    tef_test::Answer answer;
    answer.document = std::to_string(500000 + sale_);
    answer.id = "77" + std::to_string(10000000 + sale_);
    answer.finalisation = "FIN" + answer.document;
    platform::WriteFileAtomic(Qdm00500::NewIntPosFileName("c:\\tef_dial\\resp\\"),
                              tef_test::RecordText(answer.Lines()));
    cupons_.Clear();
    cupons_.Add("1");
    cupons_.AddStrings(answer.Record());
    Qdm00500::stlCuponsTEF = &cupons_;
    ok = Qdm00500::ImprCupons(&cupons_, 1, "", "", 0) && ok;
    return ok;
  }

 private:
  // Declared first, so it goes last: after the manager serving it.
  testsupport::TempDir home_{"qdm-ledger-bench"};
  std::string drive_ = home_.path();
  std::string root_;
  std::unique_ptr<tef_test::FakeManager> manager_;
  platform::TStringList cupons_;
  int sale_ = 0;
};

void Quietly() {
  static bool once = [] {
    platform::SetDialogPresenter(std::make_shared<platform::UnattendedPresenter>());
    platform::SetDialogLogger([](const std::string&) {});
    platform::clock::SetManual(platform::EncodeDate(2026, 12, 10) + platform::EncodeTime(14, 0, 0, 0));
    Qdm00000::IdTipoImpFis = 0;  // vouchers print nothing: only the TEF work counts
    return true;
  }();
  (void)once;
}

double ProcessSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Wall and processor time of one sale on a home.
struct Spent {
  double wall = 0, processor = 0;
};

bool TimedSale(Home& home, Spent& spent) {
  home.Use();
  const double cpu = ProcessSeconds();
  const auto start = std::chrono::steady_clock::now();
  const bool ok = home.CardSale();
  spent.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  spent.processor += ProcessSeconds() - cpu;
  return ok;
}

// The homes sell in turn, in an order that changes every time, so that
// whatever else the machine does (the disk's flushes are shared) falls on
// all alike. The fresh home forgets its sale after each one; the homes of a
// week and of a year keep settling as a shop does (every 50 sales the
// oldest settled go to the archive). Their first sale, which moves their
// history to the archive, is made before the timing (BM_FirstSaleAfterAYear
// times it). year/week tells what the year's archive costs; year/fresh,
// what a shop in use pays against one that never sold by card.
void BM_CardSaleYearAgainstFresh(benchmark::State& state) {
  Quietly();
  Home fresh, week, year;
  week.PlantLedger(kWeekOfCardSales);
  year.PlantLedger(kYearOfCardSales);
  for (Home* home : {&week, &year}) {
    home->Use();
    if (!home->CardSale()) state.SkipWithError("the first sale did not go through");
  }
  Spent spent[3];
  Home* homes[3] = {&fresh, &week, &year};
  int turn = 0;
  for (auto _ : state) {
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
      const int which = (turn + i) % 3;
      ok = TimedSale(*homes[which], spent[which]) && ok;
    }
    if (!ok) state.SkipWithError("a sale did not go through");
    state.PauseTiming();
    fresh.Forget();
    state.ResumeTiming();
    turn = (turn + 1) % 3;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["fresh_ms"] = spent[0].wall / n * 1000;
  state.counters["year_ms"] = spent[2].wall / n * 1000;
  state.counters["year/fresh"] = spent[2].wall / spent[0].wall;
  state.counters["year/fresh_cpu"] = spent[2].processor / spent[0].processor;
  state.counters["year/week"] = spent[2].wall / spent[1].wall;
}

void BM_FirstSaleAfterAYear(benchmark::State& state) {
  Quietly();
  Home home;
  for (auto _ : state) {
    state.PauseTiming();
    home.Forget();
    home.PlantLedger(kYearOfCardSales);
    state.ResumeTiming();
    if (!home.CardSale()) state.SkipWithError("the sale did not go through");
  }
}

BENCHMARK(BM_CardSaleYearAgainstFresh)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FirstSaleAfterAYear)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
