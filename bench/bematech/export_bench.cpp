// Cost of the Z-reduction export through the facade (the printer writes
// its report, the driver reads it into the four datasets and asks the
// printer the movement date once per record written) against the bare
// parse of the same report: its lines read, its sections found and every
// figure converted, with no dataset and no printer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bematech/printer_bench.h"
#include "bench/support/channel_ratio.h"

namespace {

constexpr int kMethods = 20;
constexpr int kRates = 16;

std::string TwoDigits(int n) {
  char text[4];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// A day on a printer with 20 payment methods and 16 rates (12 taxed, 4
// services), one item on every rate and one payment in every method, then
// its Z reduction. The report is written to the sandbox, the process's
// current directory, as the maker's library writes "mp20fi.ret".
struct Bench : benchsupport::PrinterBench {
  Bench() {
    std::filesystem::current_path(sandbox.dir.path());
    std::string rates, methods;
    for (int i = 1; i <= kRates; ++i) rates += (i > 1 ? "," : "") + TwoDigits(i) + "00" + (i > 12 ? "S" : "T");
    for (int i = 2; i <= kMethods; ++i) methods += "Forma " + TwoDigits(i) + "\n";
    printer.SetRates(rates.c_str());
    printer.SetPaymentMethods(("Dinheiro\n" + methods).c_str());
    Qdm00000::ECF = "001";
    Start();
    for (int i = 1; i <= kMethods; ++i) {
      AddPaymentType("0" + TwoDigits(i), TwoDigits(i));
      AddPayment("0" + TwoDigits(i), 8.00, i);
    }
    bool ok = Qdm00000::AbreCupom("");
    for (int i = 1; i <= kRates; ++i)
      ok = Qdm00000::VendaItem("", "", std::to_string(i), "PRODUTO", TwoDigits(i), 1, 10.00, 0) && ok;
    std::string numero;
    ok =
        ok && Qdm00000::FechaCupom(false, true, 0, 0, 0, "N", false, "", movimentos, tipos, numero, "", "", "", "", "");
    if (!ok || !Qdm00000::Reducao_Z("")) benchsupport::Fail("the day was refused");
    Export();
    std::ifstream file("mp20fi.ret", std::ios::binary);
    if (!file) benchsupport::Fail("no reduction report");
  }

  int Export() {
    platform::TClientDataSet reducao{"reducao"}, formas{"formas"}, impostos{"impostos"}, totais{"totais"};
    Qdm00000::ExportRedZ(tipos, reducao, formas, impostos, totais);
    return reducao.RecordCount() + formas.RecordCount() + impostos.RecordCount() + totais.RecordCount();
  }
};

// ---- The bare parse ------------------------------------------------------

std::vector<std::string> Lines(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

int Find(const std::vector<std::string>& lines, const char* header) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == header) return static_cast<int>(i);
  return -1;
}

double Amount(const std::vector<std::string>& lines, int i, std::size_t from, std::size_t to) {
  return Qdm00100::ReadAmount(lines[static_cast<std::size_t>(i)].substr(from - 1, to - from + 1));
}

// Every figure the export takes, read from the same columns.
double BareParse() {
  const std::vector<std::string> r = Lines("mp20fi.ret");
  double sum = 0;
  const int t = Find(r, "-------------TOTALIZADORES FISCAIS--------------");
  for (int i = t + 1; i <= t + 8; ++i)
    if (i != t + 6) sum += Amount(r, i, 29, 48);
  const int n = Find(r, "-----------------N\xC6o Tributados-----------------");
  for (int i = n + 1; i <= n + 3; ++i) sum += Amount(r, i, 29, 48);
  const int p = Find(r, "--------------Formas de Pagamento---------------");
  for (int i = p + 1; r[static_cast<std::size_t>(i)].size() > 2; ++i) sum += Amount(r, i, 29, 48);
  for (const char* header :
       {"-------------------Tributados-------------------", "----------------------ISS-----------------------"}) {
    const int a = Find(r, header);
    for (int i = a + 2; r[static_cast<std::size_t>(i)].rfind("Total", 0) != 0; ++i)
      sum += Amount(r, i, 5, 9) + Amount(r, i, 15, 29) + Amount(r, i, 31, 48);
  }
  return sum;
}

void BM_BareParse(benchmark::State& state) {
  benchsupport::OneBench<Bench>();
  for (auto _ : state) benchmark::DoNotOptimize(BareParse());
}
BENCHMARK(BM_BareParse);

void BM_ExportRedZ(benchmark::State& state) {
  Bench& bench = benchsupport::OneBench<Bench>();
  int records = 0;
  for (auto _ : state) records = bench.Export();
  state.counters["records"] = records;
}
BENCHMARK(BM_ExportRedZ);

// The movement date every exported record asks of the printer ("35" "27").
void BM_DataMov(benchmark::State& state) {
  benchsupport::OneBench<Bench>();
  for (auto _ : state) benchmark::DoNotOptimize(Qdm00100::DataMov_Bematech());
}
BENCHMARK(BM_DataMov);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchsupport::RatioReporter reporter("BM_ExportRedZ", "BM_BareParse", "export / bare parse");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
