// qdm_service: the register as a local HTTP/JSON service. One register per
// process: the home, its configuration and devices as qdm_register takes
// them, the home held locked while the service runs.
//   qdm_service [--dir HOME] [--porta N] ...   serves until SIGTERM or SIGINT
//   qdm_service token [--dir HOME]             shows the bearer token
// It prints "http://127.0.0.1:PORT" on its standard output once it serves.
// Exit status: 0 after a stop by signal, 1 when the home is taken or the
// address cannot be bound, 2 on a usage error.
#include <signal.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "platform/base/encoding.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/application.h"
#include "platform/os/files.h"
#include "tools/qdm_register/register_session.h"
#include "tools/qdm_service/dispatcher.h"
#include "tools/qdm_service/events.h"
#include "tools/qdm_service/http_service.h"
#include "tools/qdm_service/register_host.h"
#include "tools/qdm_service/sale_desk.h"
#include "tools/qdm_service/routes.h"
#include "tools/qdm_service/token.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) { g_stop = 1; }

// SIGTERM, SIGINT and SIGHUP end the service in order: the devices are
// stopped on the main thread, which looks at the flag between its waits.
void StopOnSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal_number, &action, nullptr);
  // A client that hangs up is the HTTP layer's to notice, not a signal.
  ::signal(SIGPIPE, SIG_IGN);
}

std::string T(const std::string& cp1252) { return platform::Cp1252ToUtf8(cp1252); }

void Complain(const std::string& cp1252) { std::fprintf(stderr, "qdm_service: %s\n", T(cp1252).c_str()); }

std::string Url(const std::string& address, int port) {
  const bool v6 = address.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

// An origin as a browser sends it: scheme, host and port, nothing after.
std::string CheckOrigin(std::string& origin) {
  const bool scheme = origin.rfind("http://", 0) == 0 || origin.rfind("https://", 0) == 0;
  const std::size_t host = origin.find("://") + 3;
  if (!scheme || origin.size() <= host || origin.find('/', host) != std::string::npos)
    return T("use uma origem como http://localhost:5173 (sem caminho nem barra final)");
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{T("Servi\xE7o HTTP/JSON local do caixa sobre Pkg_Qdm e os dispositivos do caixa")};
  app.fallthrough();
  app.get_formatter()->label("Usage", T("Uso"));
  app.get_formatter()->label("OPTIONS", T("OP\xC7\325ES"));
  app.get_formatter()->label("Options", T("Op\xE7\365es"));
  app.get_formatter()->label("SUBCOMMAND", T("SUBCOMANDO"));
  app.get_formatter()->label("Subcommands", T("Subcomandos"));
  app.get_formatter()->label("REQUIRED", T("OBRIGAT\xD3RIA"));
  app.option_defaults()->group(T("Op\xE7\365es"));
  app.set_help_flag("-h,--help", T("Mostra esta ajuda"));

  qdm_service::DeviceOptions devices;
  devices.home = platform::ExtractFilePath(platform::GetModuleFileNameA()) + "register";
  qdm_service::HttpOptions http;
  qdm_service::RouteOptions route_options;
  bool no_card = false;
  bool no_digit = false;
  bool unattended = false;

  app.add_option(
         "--dir", devices.home,
         T("Pasta do caixa: configura\xE7\xE3o, log de depura\xE7\xE3o, mem\xF3ria e bobina da impressora, token"))
      ->type_name("PASTA");
  app.add_option("--caixa", devices.caixa, T("C\363digo do caixa (padr\xE3o 001)"))->type_name("CODIGO");
  app.add_option("--tipo", devices.tipo,
                 T("Tipo da impressora de um caixa novo (1, 2, 9 Bematech; 3 a 6 Sweda; 7, 8 Daruma)"))
      ->check(CLI::Range(1, 9).description(""))
      ->type_name("TIPO");
  app.add_flag("--sem-cartao", no_card, T("N\xE3o inicia o gerenciador TEF emulado"));
  app.add_flag("--unattended", unattended,
               T("Aceita a op\xE7\xE3o do qdm_register: o servi\xE7o sempre responde por regra"));
  app.add_option("--endereco", http.address,
                 T("Endere\xE7o em que escuta (padr\xE3o 127.0.0.1; outro exp\365e o caixa \xE0 rede)"))
      ->type_name("ENDERECO");
  app.add_option("--porta", http.port, T("Porta em que escuta (padr\xE3o 0: uma porta livre)"))
      ->check(CLI::Range(0, 65535).description(""))
      ->type_name("PORTA");
  app.add_option("--origem", http.origins,
                 T("Origem de navegador permitida (CORS), repet\xEDvel; nenhuma por padr\xE3o"))
      ->check(CLI::Validator(CheckOrigin, ""))
      ->type_name("URL");
  app.add_option("--visor", devices.visor,
                 T("Visor do cliente: emulado (padr\xE3o), nenhum, COM1 a COM12 ou o caminho do dispositivo"))
      ->type_name("PORTA");
  app.add_option("--leitor", devices.leitor,
                 T("Leitor de c\363digo de barras: nenhum (padr\xE3o), COM1 a COM12 ou o caminho do dispositivo"))
      ->type_name("PORTA");
  app.add_flag("--sem-digito", no_digit, T("N\xE3o carrega a biblioteca do d\xEDgito verificador (DCVT32.dll)"));
  app.add_flag("--comando-livre", route_options.raw_command,
               T("Abre a rota POST /v1/comando, que envia \xE0 impressora comandos do pr\xF3prio cliente"));
  app.add_option("--espera-padrao", http.default_wait_ms,
                 T("Milissegundos que um pedido espera pelos dispositivos sem \"espera\" (padr\xE3o 30000)"))
      ->check(CLI::Range(0, 120000).description(""))
      ->type_name("MS");

  auto* token_command = app.add_subcommand("token", T("Mostra o token do servi\xE7o (cria-o na primeira vez)"));
  token_command->group(T("Subcomandos"));
  app.require_subcommand(0, 1);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "qdm_service: %s: %s %s\n", T("uso incorreto").c_str(), e.what(),
                 T("(use --help para ver as op\xE7\365es)").c_str());
    return kUsageError;
  }
  devices.tef = !no_card;
  devices.digito = !no_digit;

  if (token_command->parsed()) {
    try {
      platform::ForceDirectories(devices.home);
      std::printf("%s\n", qdm_service::LoadOrCreateToken(devices.home).c_str());
      return 0;
    } catch (const std::exception& e) {
      Complain(e.what());
      return kFailed;
    }
  }

  platform::Application().SetMainThread();
  StopOnSignals();
  qdm_service::EventHub events;
  std::unique_ptr<qdm_service::RegisterHost> host;
  std::string token;
  try {
    host = std::make_unique<qdm_service::RegisterHost>(devices, events);
    token = qdm_service::LoadOrCreateToken(host->options().home);
  } catch (const std::exception& e) {
    Complain(e.what());
    return kFailed;
  }
  // Nobody answers at the register: the service's operator answers by rule
  // and keeps what the library said for the request's answer.
  platform::SetDialogPresenter(std::shared_ptr<platform::DialogPresenter>(&host->op(), [](auto*) {}));
  host->Start();
  std::unique_ptr<qdm_service::SaleDesk> sales;
  try {
    sales = std::make_unique<qdm_service::SaleDesk>(*host, host->options().home + "/" + qdm_service::kSaleJournalFile);
    sales->Reconcile();
  } catch (const std::exception& e) {
    Complain(e.what());
    platform::SetDialogPresenter(nullptr);
    host->Stop();
    return kFailed;
  }

  qdm_service::Dispatcher dispatcher;
  dispatcher.OnDetachedFinished([&events](const qdm_service::Task& task) {
    events.Publish("tarefa", {{"id", task.id()}, {"operacao", task.what()}, {"status", task.reply().status}});
  });
  qdm_service::HttpService service(http, token, dispatcher, events,
                                   qdm_service::ServiceRoutes(*host, *sales, dispatcher, route_options));
  int port = 0;
  try {
    port = service.Bind();
  } catch (const std::exception& e) {
    Complain(e.what());
    platform::SetDialogPresenter(nullptr);
    host->Stop();
    return kFailed;
  }
  service.Start();
  std::printf("%s\n", Url(http.address, port).c_str());
  std::fflush(stdout);
  // The home as the terminal gave it (a path, not the library's text).
  std::fprintf(stderr, "qdm_service: caixa %s em %s; token em %s/%s\n", devices.caixa.c_str(),
               host->options().home.c_str(), host->options().home.c_str(), qdm_service::kTokenFileName);

  dispatcher.Run([] { return g_stop == 0; });

  dispatcher.Stop();
  service.Stop();
  platform::SetDialogPresenter(nullptr);
  host->Stop();
  std::fprintf(stderr, "qdm_service: encerrado\n");
  return 0;
}
