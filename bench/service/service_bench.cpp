// What the device service adds to a sale: the same cash sale sold through
// qdm_service (an HTTP client on the loopback address, the key journaled
// and synced, the answer built) and through the sale module's till in this
// process, each on a home of its own with the emulated MP-20 FI; their
// ratio is printed at the end ("servico / modulo de venda"). And how many
// status requests per second the service answers.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <httplib.h>

#include "bench/support/ratio_reporter.h"
#include "platform/os/application.h"
#include "sale/QdmVenda.h"
#include "tests/support/temp_dir.h"
#include "tools/qdm_register/config_writer.h"
#include "tools/qdm_register/register_session.h"
#include "tools/qdm_register/till_steps.h"

namespace {

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "service_bench: %s\n", why.c_str());
  std::abort();
}

QdmVenda::Sale CashSale() {
  QdmVenda::Sale sale;
  QdmVenda::Item item;
  item.code = "7891000100103";
  item.description = "Cafe";
  item.tax_kind = "T";
  item.tax_rate = 18;
  item.quantity = 1;
  item.unit_price = 4.5;
  sale.items.push_back(item);
  sale.payments.push_back({"001", 10, false});
  return sale;
}

std::string CashSaleJson(long key) {
  return R"({"idVenda": "bench-)" + std::to_string(key) +
         R"(", "itens": [{"codigo": "7891000100103", "descricao": "Cafe", "quantidade": "1",
            "precoUnitario": "4.50", "tributacao": {"tipo": "T", "percentual": "18"}}],
            "pagamentos": [{"tipo": "001", "valor": "10.00"}]})";
}

// The register's till in this process, on the register program's setup.
struct DirectTill {
  DirectTill() : session(home.path()), till(qdm_register::ShopSetup({}, session, "001")) {
    till.setup().offer_x_reading = false;
    qdm_register::WriteEcfConfig(qdm_register::EcfConfigPath(session.directory(), "001"), {});
    if (!till.Start().ok) Fail("the till did not start");
  }
  testsupport::TempDir home{"qdm_service_bench.direct"};
  qdm_register::RegisterSession session;
  QdmVenda::Till till;
};

// qdm_service on a home of its own, without the TEF manager and the other
// devices (a cash sale does not use them).
class ServiceProcess {
 public:
  ServiceProcess() : home_(home_dir_.path()) {
    int out[2];
    if (::pipe(out) != 0) Fail("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDERR_FILENO);
      // Beside this program (the library's idea of the host executable
      // moved to the in-process till's home).
      const std::string program =
          (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "qdm_service").string();
      ::execl(program.c_str(), program.c_str(), "--dir", home_.c_str(), "--sem-cartao", "--visor", "nenhum",
              "--sem-digito", nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (line.find('\n') == std::string::npos && ::read(out[0], &c, 1) == 1) line += c;
    ::close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (line.rfind("http://", 0) != 0 || colon == std::string::npos) Fail("the service did not start");
    std::ifstream token_file(home_ + "/qdm_service.token");
    std::string token;
    token_file >> token;
    client_ = std::make_unique<httplib::Client>("127.0.0.1", std::atoi(line.c_str() + colon + 1));
    client_->set_bearer_token_auth(token);
    client_->set_keep_alive(true);
    // As curl and the browsers do: a request's body goes out at once, not
    // held back (Nagle) until the service acknowledges its headers.
    client_->set_tcp_nodelay(true);
    client_->set_read_timeout(60, 0);
  }
  ~ServiceProcess() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  httplib::Client& client() { return *client_; }

 private:
  testsupport::TempDir home_dir_{"qdm_service_bench.service"};
  std::string home_;
  pid_t pid_ = -1;
  std::unique_ptr<httplib::Client> client_;
};

void BM_SaleThroughTheSaleModule(benchmark::State& state) {
  static DirectTill direct;
  const QdmVenda::Sale sale = CashSale();
  for (auto _ : state)
    if (!direct.till.Sell(sale).completed) Fail("the sale through the till did not complete");
}
BENCHMARK(BM_SaleThroughTheSaleModule)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaleThroughTheService(benchmark::State& state) {
  static ServiceProcess service;
  static long key = 0;
  for (auto _ : state) {
    const auto answer = service.client().Post("/v1/vendas", CashSaleJson(++key), "application/json");
    if (!answer || answer->status != 200) Fail("the sale through the service did not complete");
  }
}
BENCHMARK(BM_SaleThroughTheService)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusRequests(benchmark::State& state) {
  static ServiceProcess service;
  for (auto _ : state) {
    const auto answer = service.client().Get("/v1/estado");
    if (!answer || answer->status != 200) Fail("status did not answer");
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StatusRequests)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The library's thread model: device calls on its main thread, as the
  // service makes its own.
  platform::Application().SetMainThread();
  benchmark::Initialize(&argc, argv);
  benchsupport::RatioReporter reporter("BM_SaleThroughTheService/real_time", "BM_SaleThroughTheSaleModule/real_time",
                                       "servico / modulo de venda (custo por venda)");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
