// The crash-consistency run of the device service: a card sale sent to
// qdm_service by a small HTTP client, the power cut at each of the file
// saves of the service and its TEF manager (tests/crash/kill_points.c, the
// service's journal of sales among them), then the service started again
// and the same sale sent again with the same key, twice. For each point it
// checks that
//   - the service starts again and answers the key (200 or 422), the same
//     answer both times, and the second time prints nothing;
//   - the printer holds no document open and the day's net sales equal
//     what the payments took: one closed coupon of the sale or none, never
//     two;
//   - every approved card ended confirmed or undone exactly once (the
//     manager's journal), and a confirmed card stands on a closed coupon;
//   - the key's answer agrees with the tape: its coupon "fechado" exactly
//     when the printer holds the sale's coupon closed, its card
//     "confirmada" exactly when the manager confirmed it, "concluida"
//     exactly when both;
//   - every data packet and TEF ledger loads whole.
//
//   service_crash_run [--sample N] [--points N,N,...] [--keep DIR] [--verbose]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "tests/crash/checks.h"
#include "tests/support/child_program.h"
#include "tests/support/emulator_library.h"
#include "tests/support/temp_dir.h"

namespace crash_run {
namespace {

using Json = nlohmann::json;

constexpr int kStartSeconds = 60;
constexpr int kCallSeconds = 90;
constexpr long long kSaleCents = 450;

const char* const kSale = R"({"idVenda": "corte-1",
  "itens": [{"codigo": "7891000100103", "descricao": "Cafe", "quantidade": "1.000", "precoUnitario": "4.50",
             "tributacao": {"tipo": "T", "percentual": "18.00"}}],
  "pagamentos": [{"tipo": "002", "valor": "4.50", "cartao": true}]})";

using Options = RunOptions;

std::string Bin() { return testsupport::ExecutableDirectory(); }

// One qdm_service in a process group of its own (what a power cut takes).
class Service {
 public:
  // Armed at the kill point `kill_at` (0: every point traced, -1: none).
  Service(const fs::path& home, const fs::path& work, long kill_at) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    const int err = ::open((work / "service.err").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    testsupport::ChildSetup setup;
    setup.in = testsupport::ChildSetup::kInherit;
    setup.out = out[1];
    if (err >= 0) setup.err = err;
    setup.env = KillPointsEnvironment(Bin(), work, kill_at);
    setup.own_group = true;
    service_ = std::make_unique<testsupport::ChildProgram>(
        Bin() + "/qdm_service", std::vector<std::string>{"--dir", home.string(), "--visor", "nenhum", "--sem-digito"},
        setup);
    if (err >= 0) ::close(err);
    ::close(out[1]);
    // The address, once it serves; nothing when the cut came first.
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(kStartSeconds);
    while (std::chrono::steady_clock::now() < end && line.find('\n') == std::string::npos) {
      pollfd p{out[0], POLLIN, 0};
      if (::poll(&p, 1, 200) <= 0) continue;
      char c = 0;
      if (::read(out[0], &c, 1) != 1) break;
      line += c;
    }
    ::close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (line.rfind("http://127.0.0.1:", 0) == 0 && colon != std::string::npos)
      port_ = std::atoi(line.c_str() + colon + 1);
    token_ = ReadAll(home / "qdm_service.token");
    while (!token_.empty() && (token_.back() == '\n' || token_.back() == '\r')) token_.pop_back();
  }
  bool serving() const { return port_ > 0; }

  // The answer to a call: its status (0 when none came) and body.
  std::pair<int, Json> Call(const std::string& method, const std::string& path, const std::string& body = "") {
    if (!serving()) return {0, nullptr};
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(kCallSeconds, 0);
    client.set_bearer_token_auth(token_);
    auto result = method == "POST" ? client.Post(path, body, "application/json") : client.Get(path);
    if (!result) return {0, nullptr};
    return {result->status, Json::parse(result->body, nullptr, false)};
  }

  // Waits for the group to end by itself (a cut); then stops it by SIGTERM.
  // Answers the exit status (-signal when killed).
  int Stop(int wait_seconds) {
    if (!service_) return -1;
    if (!service_->WaitFor(std::chrono::seconds(wait_seconds))) {
      service_->Signal(SIGTERM);
      if (!service_->WaitFor(std::chrono::seconds(kStartSeconds))) service_->Kill();
    }
    return service_->signal() ? -service_->signal() : service_->exit_code();
  }

 private:
  std::unique_ptr<testsupport::ChildProgram> service_;
  int port_ = 0;
  std::string token_;
};

struct Totals {
  int tried = 0, cut = 0, not_reached = 0, passed = 0, failed = 0;
  int answered_done = 0, answered_abandoned = 0, reconciled = 0;
  int coupons_closed = 0, cards_confirmed = 0, cards_undone = 0;
};

const Json& SaleOf(const Json& answer) {
  return answer.is_object() && answer.contains("venda") && answer["venda"].is_object() ? answer["venda"] : answer;
}

std::string State(const Json& answer) {
  const Json& sale = SaleOf(answer);
  return sale.is_object() ? sale.value("/cupom/estado"_json_pointer, std::string("?")) : std::string("?");
}

bool TryPoint(long number, const std::string& kind, const fs::path& base, Totals& totals, const Options& options) {
  const fs::path work = base / ("point_" + std::to_string(number));
  const fs::path home = work / "home";
  fs::create_directories(home);
  PlantUsedLedger(home);
  std::vector<std::string> faults;

  {
    Service cut(home, work, number);
    cut.Call("POST", "/v1/vendas", kSale);
    cut.Stop(5);
  }
  const auto hit = TracedPoints(work / "trace");
  const bool reached = !hit.empty();
  ++(reached ? totals.cut : totals.not_reached);
  const std::string what = reached ? hit.front() : kind + " (nao alcancado)";

  Service again(home, work, -1);
  if (!again.serving()) faults.push_back("o servico nao voltou a servir depois do corte");
  const auto [status, answer] = again.Call("POST", "/v1/vendas", kSale);
  const PrinterMemory between = ReadPrinter(home / "mp20fi.state");
  const auto [status2, answer2] = again.Call("POST", "/v1/vendas", kSale);
  const auto [known_status, known] = again.Call("GET", "/v1/vendas/corte-1");
  const int stopped = again.Stop(0);
  if (status != 200 && status != 422) faults.push_back("a venda repetida respondeu " + std::to_string(status));
  if (status2 != status || answer2 != answer) faults.push_back("a mesma chave respondeu outra coisa na segunda vez");
  if (known_status != 200) faults.push_back("GET da chave respondeu " + std::to_string(known_status));
  if (stopped != 0) faults.push_back("o servico terminou com " + std::to_string(stopped));

  const PrinterMemory printer = ReadPrinter(home / "mp20fi.state");
  if (!printer.readable) faults.push_back("memoria da impressora ilegivel");
  if (printer.document_open) faults.push_back("documento aberto na impressora");
  if (printer.coupon_number != between.coupon_number) faults.push_back("a segunda venda com a mesma chave imprimiu");
  if (printer.net_sales != printer.paid) faults.push_back("venda liquida e pagamentos nao conferem");
  const long long closed = printer.net_sales / kSaleCents;
  if (printer.net_sales % kSaleCents != 0 || closed > 1)
    faults.push_back("cupons fechados da venda: " + std::to_string(printer.net_sales) + " centavos");

  const JournalTally tef = TallyJournal(home / "drive_c" / "tef_dial" / "journal.txt");
  faults.insert(faults.end(), tef.faults.begin(), tef.faults.end());
  if (tef.sales_confirmed > closed) faults.push_back("cartao confirmado sem cupom fechado");

  const Json& sale = SaleOf(answer);
  const bool says_closed = State(answer) == "fechado";
  if (says_closed != (closed == 1))
    faults.push_back("a resposta diz cupom " + State(answer) + ", a impressora tem " + std::to_string(closed) +
                     " cupom(ns) da venda");
  bool says_confirmed = false, says_undone = false;
  if (sale.is_object() && sale.contains("cartoes"))
    for (const Json& card : sale["cartoes"]) {
      says_confirmed = says_confirmed || card.value("estado", "") == "confirmada";
      says_undone = says_undone || card.value("estado", "") == "desfeita";
    }
  if (says_confirmed != (tef.sales_confirmed == 1))
    faults.push_back("a resposta e o gerenciador discordam da confirmacao do cartao");
  if (sale.is_object() && sale.value("concluida", false) != (says_closed && says_confirmed))
    faults.push_back("\"concluida\" nao e cupom fechado com cartao confirmado");
  if ((status == 200) != (sale.is_object() && sale.value("concluida", false)))
    faults.push_back("o status nao acompanha \"concluida\"");
  if (known.is_object() && known.value("estado", "") == "reconciliada") ++totals.reconciled;

  const auto files = CheckFiles(home);
  faults.insert(faults.end(), files.begin(), files.end());

  const bool passed = faults.empty();
  ++totals.tried;
  ++(passed ? totals.passed : totals.failed);
  ++(status == 200 ? totals.answered_done : totals.answered_abandoned);
  totals.coupons_closed += static_cast<int>(closed);
  totals.cards_confirmed += tef.sales_confirmed;
  totals.cards_undone += tef.sales_undone;

  std::printf("%4ld  %-5s %s  [resposta %d, cupom %s, cartao %s, chave %s]\n", number, passed ? "ok" : "FALHA",
              what.c_str(), status, State(answer).c_str(),
              says_confirmed ? "confirmado"
              : says_undone  ? "desfeito"
                             : "-",
              known.is_object() ? known.value("estado", "?").c_str() : "?");
  for (const auto& f : faults) std::printf("        %s\n", f.c_str());
  if (!passed || options.verbose) std::printf("        %s\n", answer.dump().substr(0, 2000).c_str());
  std::fflush(stdout);
  std::error_code ec;
  if (passed && options.keep.empty()) fs::remove_all(work, ec);
  return passed;
}

int Main(const Options& options) {
  fs::path base = options.keep;
  try {
    if (base.empty()) base = testsupport::MakeTempDir("qdm_service_crash");
  } catch (const std::runtime_error&) {
    return 2;
  }
  const fs::path traced = base / "trace_run";
  fs::create_directories(traced / "home");
  PlantUsedLedger(traced / "home");
  std::vector<std::string> points;
  {
    Service whole(traced / "home", traced, 0);
    const auto [status, answer] = whole.Call("POST", "/v1/vendas", kSale);
    const int stopped = whole.Stop(0);
    points = TracedPoints(traced / "trace");
    if (status != 200 || stopped != 0 || points.empty()) {
      std::cerr << "service_crash_run: the sale without cuts did not go through (" << status << ", exit " << stopped
                << ")\n"
                << answer.dump() << '\n'
                << ReadAll(traced / "service.err") << '\n';
      return 1;
    }
  }
  std::set<std::string> kinds(points.begin(), points.end());
  std::cout << "Venda com cartao pelo servico: " << points.size() << " pontos de corte de " << kinds.size()
            << " tipos\n";

  const std::vector<long> chosen = ChosenPoints(options, points);
  Totals totals;
  for (long number : chosen)
    if (number >= 1 && number <= static_cast<long>(points.size()))
      TryPoint(number, points[static_cast<std::size_t>(number - 1)], base, totals, options);

  std::printf("\nPontos tentados: %d (cortes: %d, nao alcancados: %d); passaram: %d, falharam: %d\n"
              "Respostas da chave depois do corte: %d concluidas, %d abandonadas (%d reconciliadas na partida)\n"
              "Cupons fechados da venda: %d; cartoes confirmados: %d, desfeitos: %d\n",
              totals.tried, totals.cut, totals.not_reached, totals.passed, totals.failed, totals.answered_done,
              totals.answered_abandoned, totals.reconciled, totals.coupons_closed, totals.cards_confirmed,
              totals.cards_undone);
  return EndRun(options, base, totals.failed);
}

}  // namespace
}  // namespace crash_run

int main(int argc, char** argv) {
  crash_run::Options options;
  if (const auto status = crash_run::ParseRunOptions(argc, argv, "service_crash_run", false, options)) return *status;
  return crash_run::Main(options);
}
