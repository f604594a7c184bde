// Reading and writing a large data packet: LoadFromFile against a bare
// expat parse of the same file (the XML library alone), and SaveToFile.
// The packet has 100 000 payment movements with a mixed layout.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/dataset/dataset.h"
#include "platform/os/files.h"

namespace {

using platform::TClientDataSet;
using platform::TFieldType;

constexpr int kRows = 100000;

// A temporary packet file, made once for every benchmark.
class Packet {
 public:
  Packet() {
    dir_ = (std::filesystem::temp_directory_path() / ("qdm-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir_);
    path_ = dir_ + "/movcaixa.cds";
    TClientDataSet ds("cdsMovCaixa");
    ds.AddFieldDef("CDFILIAL", TFieldType::ftString, 4);
    ds.AddFieldDef("NRSEQUMOVI", TFieldType::ftString, 10);
    ds.AddFieldDef("IDTIPOMOVIVE", TFieldType::ftString, 1);
    ds.AddFieldDef("DSMOVIVEND", TFieldType::ftString, 250);
    ds.AddFieldDef("CDTIPORECE", TFieldType::ftString, 3);
    ds.AddFieldDef("DTHRINCMOV", TFieldType::ftDateTime);
    ds.AddFieldDef("VRMOVIVEND", TFieldType::ftFloat);
    ds.AddFieldDef("NMTIPORECE", TFieldType::ftString, 40);
    ds.AddFieldDef("NRORDTROCO", TFieldType::ftString, 3);
    ds.AddFieldDef("DTMOVIMCAIXA", TFieldType::ftDate);
    ds.AddFieldDef("NRPARCELA", TFieldType::ftInteger);
    ds.CreateDataSet();
    const char* names[] = {"Dinheiro", "Cart\xE3o de cr\351dito", "Conv\xEAnio", "Cheque"};
    for (int i = 0; i < kRows; ++i) {
      ds.Append();
      ds.FieldByName("CDFILIAL").SetAsString("0001");
      ds.FieldByName("NRSEQUMOVI").SetAsInteger(i + 1);
      ds.FieldByName("IDTIPOMOVIVE").SetAsString(i % 7 ? "E" : "S");
      ds.FieldByName("DSMOVIVEND").SetAsString("Pagamento da venda " + std::to_string(i / 3));
      ds.FieldByName("CDTIPORECE").SetAsString("00" + std::to_string(i % 4 + 1));
      ds.FieldByName("DTHRINCMOV").SetAsDateTime(46366 + i / 86400.0);
      ds.FieldByName("VRMOVIVEND").SetAsFloat((i % 10000) / 100.0 + 0.05);
      ds.FieldByName("NMTIPORECE").SetAsString(names[i % 4]);
      ds.FieldByName("NRORDTROCO").SetAsString(std::to_string(i % 3 + 1));
      ds.FieldByName("DTMOVIMCAIXA").SetAsDateTime(46366 + i / 5000);
      ds.FieldByName("NRPARCELA").SetAsInteger(i % 12 + 1);
      ds.Post();
    }
    ds.SaveToFile(path_);
  }
  ~Packet() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string Other(const char* name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
  std::string path_;
};

const Packet& ThePacket() {
  static const Packet packet;
  return packet;
}

void XMLCALL NoStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL NoEnd(void*, const XML_Char*) {}

// Reads the file and parses it with handlers that do nothing.
void BareParse(const std::string& path) {
  const std::string bytes = platform::ReadFileBytes(path);
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetElementHandler(parser, NoStart, NoEnd);
  if (XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) != XML_STATUS_OK) {
    std::fprintf(stderr, "parse failed\n");
  }
  XML_ParserFree(parser);
}

void BM_LoadFromFile(benchmark::State& state) {
  const std::string& path = ThePacket().path();
  for (auto _ : state) {
    TClientDataSet ds;
    ds.LoadFromFile(path);
    benchmark::DoNotOptimize(ds.RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond);

void BM_BareExpatParse(benchmark::State& state) {
  const std::string& path = ThePacket().path();
  for (auto _ : state) BareParse(path);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_BareExpatParse)->Unit(benchmark::kMillisecond);

void BM_SaveToFile(benchmark::State& state) {
  TClientDataSet ds;
  ds.LoadFromFile(ThePacket().path());
  const std::string target = ThePacket().Other("saved.cds");
  for (auto _ : state) ds.SaveToFile(target);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

// Both reads in turn, so the ratio compares like with like.
void BM_LoadOverBareParse(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const std::string& path = ThePacket().path();
  Clock::duration load{}, bare{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    {
      TClientDataSet ds;
      ds.LoadFromFile(path);
      benchmark::DoNotOptimize(ds.RecordCount());
    }
    const auto t1 = Clock::now();
    BareParse(path);
    const auto t2 = Clock::now();
    load += t1 - t0;
    bare += t2 - t1;
  }
  state.counters["load_over_parse"] =
      std::chrono::duration<double>(load).count() / std::chrono::duration<double>(bare).count();
  // Each side alone, per round, so a change seen in the ratio can be told
  // apart from a change of the bare parse.
  state.counters["load_ms"] =
      benchmark::Counter(std::chrono::duration<double, std::milli>(load).count(), benchmark::Counter::kAvgIterations);
  state.counters["bare_ms"] =
      benchmark::Counter(std::chrono::duration<double, std::milli>(bare).count(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadOverBareParse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
