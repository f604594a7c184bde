// What the crash-consistency run checks in a register's home once the
// register has run again after a power cut.
#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace crash_run {

namespace fs = std::filesystem;

// What a run is asked for on its command line.
struct RunOptions {
  int sample = 0;  // 0: every point
  std::vector<long> points;
  std::string only;  // the points whose kind starts so (where the run has several sales)
  fs::path keep;
  bool verbose = false;
};
// Reads the command line of `program`; `with_only` offers --only. Answers
// the exit status when the run must not go on (a usage error, --help).
std::optional<int> ParseRunOptions(int argc, char** argv, const std::string& program, bool with_only,
                                   RunOptions& options);

// The kill points a traced run numbered, "N<TAB>what file" lines of `trace`.
std::vector<std::string> TracedPoints(const fs::path& trace);
// The numbers (from 1) of the points to cut: those asked for, a sample of
// them or every one, of the kind asked for.
std::vector<long> ChosenPoints(const RunOptions& options, const std::vector<std::string>& points);
// The run's exit status: 0 when no point failed. The homes under `base`
// go unless kept or a point failed (then their place is printed).
int EndRun(const RunOptions& options, const fs::path& base, int failed);
// What a program's environment adds to arm the kill points at `kill_at`
// (0: every point traced, -1: none): the preloaded library from the
// directory `bin`, its counter and trace in `work`.
std::vector<std::pair<std::string, std::string>> KillPointsEnvironment(const std::string& bin, const fs::path& work,
                                                                       long kill_at);
// A file's bytes; "" when it cannot be read.
std::string ReadAll(const fs::path& path);

// The card transactions of a TEF manager's journal and how they ended.
struct JournalTally {
  int approved = 0;           // CRT and CNC answered PENDENTE
  int confirmed = 0;          // PENDENTE -> CONFIRMADA
  int undone_by_client = 0;   // PENDENTE -> DESFEITA on the client's NCN
  int undone_by_manager = 0;  // PENDENTE -> DESFEITA by the manager's own rule
  int cancelled = 0;          // a confirmed sale cancelled afterwards
  int repeated = 0;           // the same decision again after a cut ("ja ...")
  int refused = 0;            // a contrary decision the manager refused
  int torn_lines = 0;         // lines that name no event
  // Card sales (CRT approved) by how they ended.
  int sales = 0;
  int sales_confirmed = 0;
  int sales_undone = 0;
  long long confirmed_cents = 0;    // what the confirmed sales took
  std::vector<std::string> faults;  // transactions left pending, settled twice, ...
};

JournalTally TallyJournal(const fs::path& journal);

// Printer memory as the emulated MP-20 FI (or Daruma) keeps it in its state
// file.
struct PrinterMemory {
  bool readable = false;
  bool coupon_open = false;    // a fiscal coupon not yet closed
  bool document_open = false;  // a coupon or a non-fiscal document
  int coupon_number = 0;
  // The day's net sales (gross less cancellations and discounts, plus
  // surcharges) against what the payment methods took less the change:
  // equal unless a coupon was registered in part.
  long long net_sales = 0;
  long long paid = 0;
  // Taken by means other than cash in the coupons that stand (a cancelled
  // coupon gives its payments back): the card payments of closed coupons.
  long long card_paid = 0;
};

PrinterMemory ReadPrinter(const fs::path& state_file);
// The same read from the emulated Daruma printer's memory ("fs345.state").
PrinterMemory ReadDarumaPrinter(const fs::path& state_file);

// Every data packet (*.cds) and TEF ledger of the home loads whole; the
// faults found, empty when none.
std::vector<std::string> CheckFiles(const fs::path& home);

// A shop in use: the TEF ledger as full of settled transactions as it gets
// before its oldest move to the month's archive, planted in the home before
// its sale, so that the sale's confirmation moves them (the move is cut
// like every other save).
void PlantUsedLedger(const fs::path& home);

// The settled history after the run that followed the cut: every planted
// transaction stands exactly once in the ledger or in its archive, the
// archive holds whole lines only, the oldest first. The faults found, and
// in `moved` the planted transactions the archive holds.
std::vector<std::string> CheckLedgerHistory(const fs::path& home, int& moved);

// Work files of interrupted saves left beside their place.
int LeftOverWorkFiles(const fs::path& home);

}  // namespace crash_run
