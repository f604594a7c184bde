#include "tools/qdm_service/http_service.h"

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <regex>
#include <set>

#include "platform/base/encoding.h"
#include "tools/qdm_service/exact_decimal.h"
#include "tools/qdm_service/requests.h"
#include "tools/qdm_service/token.h"

namespace qdm_service {

namespace {

using httplib::Request;
using httplib::Response;
using Handled = httplib::Server::HandlerResponse;

constexpr auto kEventWait = std::chrono::milliseconds(500);
constexpr auto kEventKeepAlive = std::chrono::seconds(15);
constexpr std::size_t kKeepAliveRequests = 100;
constexpr int kPreflightSeconds = 600;

// Connections served by a fixed set of workers; past `waiting` accepted
// connections the accepting thread waits, and further clients wait in the
// system's backlog rather than in the service's memory.
class BoundedPool : public httplib::TaskQueue {
 public:
  BoundedPool(std::size_t workers, std::size_t waiting, const std::atomic<bool>& stopping)
      : waiting_(waiting), stopping_(stopping) {
    for (std::size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  }

  void enqueue(std::function<void()> fn) override {
    std::unique_lock<std::mutex> lock(mutex_);
    while (jobs_.size() >= waiting_ && !shutdown_ && !stopping_) room_.wait_for(lock, std::chrono::milliseconds(100));
    jobs_.push_back(std::move(fn));
    ready_.notify_one();
  }

  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      shutdown_ = true;
    }
    ready_.notify_all();
    room_.notify_all();
    for (auto& thread : threads_) thread.join();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> fn;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !jobs_.empty() || shutdown_; });
        if (jobs_.empty()) return;
        fn = std::move(jobs_.front());
        jobs_.pop_front();
      }
      room_.notify_one();
      fn();
    }
  }

  const std::size_t waiting_;
  const std::atomic<bool>& stopping_;
  std::vector<std::thread> threads_;
  std::deque<std::function<void()>> jobs_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  bool shutdown_ = false;
};

void Write(Response& res, const Reply& reply) {
  res.status = reply.status;
  for (const auto& [name, value] : reply.headers) res.set_header(name, value);
  res.set_content(reply.body, reply.content_type);
}

void WriteProblem(Response& res, const std::string& codigo, const std::string& mensagem,
                  const std::string& campo = "") {
  Write(res, ProblemReply(Problem{codigo, mensagem, campo}));
}

bool IsLoopback(const std::string& address) {
  return address == "127.0.0.1" || address == "localhost" || address == "::1";
}

}  // namespace

struct HttpService::Impl {
  HttpOptions options;
  std::string token;
  Dispatcher& dispatcher;
  EventHub& events;
  std::vector<Route> routes;
  std::vector<std::regex> patterns;  // one per route
  httplib::Server server;
  std::thread listener;
  std::atomic<bool> stopping{false};
  std::atomic<bool> listening_ended{false};
  std::set<std::string> hosts;  // Host headers a loopback service answers

  Impl(HttpOptions o, std::string t, Dispatcher& d, EventHub& e, std::vector<Route> r)
      : options(std::move(o)), token(std::move(t)), dispatcher(d), events(e), routes(std::move(r)) {
    for (const Route& route : routes) patterns.emplace_back(route.pattern);
  }

  bool OriginAllowed(const std::string& origin) const {
    for (const auto& allowed : options.origins)
      if (origin == allowed) return true;
    return false;
  }

  // The route a request names, or null.
  const Route* Find(const Request& req) const {
    for (std::size_t i = 0; i < routes.size(); ++i)
      if (routes[i].method == req.method && std::regex_match(req.path, patterns[i])) return &routes[i];
    return nullptr;
  }

  Handled Screen(const Request& req, Response& res) {
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    std::size_t header_bytes = 0;
    for (const auto& [name, value] : req.headers) header_bytes += name.size() + value.size() + 4;
    if (req.headers.size() > options.max_headers || header_bytes > options.max_header_bytes) {
      WriteProblem(res, "cabecalhos_grandes", "Cabe\347alhos demais ou grandes demais na requisi\xE7\xE3o");
      return Handled::Handled;
    }
    // A page from elsewhere that made a name of its own point at the
    // loopback address still names its own host: it is refused.
    if (!hosts.empty() && hosts.count(req.get_header_value("Host")) == 0) {
      WriteProblem(res, "host_recusado", "O servi\xE7o s\xF3 atende pelo endere\xE7o local");
      return Handled::Handled;
    }
    const std::string origin = req.get_header_value("Origin");
    // The console this service serves sends its own origin (a POST does):
    // the page and the service are one origin, no CORS is involved.
    const bool own_page = origin == "http://" + req.get_header_value("Host");
    if (!origin.empty() && !own_page) {
      if (!OriginAllowed(origin)) {
        WriteProblem(res, "origem_recusada", "Origem n\xE3o permitida: " + platform::Utf8ToCp1252(origin));
        return Handled::Handled;
      }
      res.set_header("Access-Control-Allow-Origin", origin);
      res.set_header("Vary", "Origin");
      res.set_header("Access-Control-Expose-Headers", "Location");
    }
    if (req.method == "OPTIONS") {
      res.status = 204;
      res.set_header("Access-Control-Allow-Methods", "GET, POST");
      res.set_header("Access-Control-Allow-Headers", "Authorization, Content-Type, Last-Event-ID");
      res.set_header("Access-Control-Max-Age", std::to_string(kPreflightSeconds));
      return Handled::Handled;
    }
    const Route* route = Find(req);
    if (route && route->open) return Handled::Unhandled;
    const std::string authorization = req.get_header_value("Authorization");
    const std::string bearer = "Bearer ";
    const std::string given =
        authorization.compare(0, bearer.size(), bearer) == 0 ? authorization.substr(bearer.size()) : std::string();
    if (!TokenMatches(token, given)) {
      WriteProblem(res, "nao_autorizado",
                   "Falta o token do servi\xE7o (Authorization: Bearer ...; veja qdm_service token)");
      res.set_header("WWW-Authenticate", "Bearer realm=\"qdm_service\"");
      return Handled::Handled;
    }
    return Handled::Unhandled;
  }

  static Call CallOf(const Request& req) {
    Call call;
    call.path = req.path;
    for (std::size_t i = 1; i < req.matches.size(); ++i) call.captures.push_back(req.matches[i].str());
    call.body = req.body;
    return call;
  }

  int WaitOf(const Request& req) const {
    const std::string given = req.get_param_value("espera");
    return DecodeWait(req.has_param("espera") ? &given : nullptr, options.default_wait_ms, options.max_wait_ms);
  }

  void ServeDevice(const Route& route, const Request& req, Response& res) {
    const std::string type = req.get_header_value("Content-Type");
    if (req.method == "POST" && !req.body.empty() && type.compare(0, 16, "application/json") != 0)
      Fail("tipo_de_conteudo", "O corpo deve ser application/json");
    const int wait_ms = WaitOf(req);
    Work work = route.decode(CallOf(req));
    const std::shared_ptr<Task> task = dispatcher.Submit(route.what, std::move(work));
    if (task->WaitDone(std::chrono::milliseconds(wait_ms)) || !task->Detach()) {
      Write(res, task->reply());
      return;
    }
    Reply accepted = JsonReply(202, TaskBody(*task));
    accepted.headers.emplace_back("Location", "/v1/tarefas/" + task->id());
    Write(res, accepted);
  }

  void ServeEvents(const Request& req, Response& res) {
    std::uint64_t last_seen = 0;
    const std::string last = req.get_header_value("Last-Event-ID");
    std::int64_t given = 0;
    if (!last.empty() && ParseDecimal(last, DecimalField{18, 0}, given) == DecimalFault::None)
      last_seen = static_cast<std::uint64_t>(given);
    std::shared_ptr<EventHub::Listener> listener = events.Listen(last_seen);
    res.set_header("X-Accel-Buffering", "no");
    auto last_write = std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now());
    auto greeted = std::make_shared<bool>(false);
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, listener, last_write, greeted](std::size_t, httplib::DataSink& sink) {
          if (!*greeted) {
            // A comment first, so the client knows the stream is open.
            *greeted = true;
            const std::string hello = ": eventos do caixa\n\n";
            return sink.write(hello.data(), hello.size());
          }
          if (stopping || listener->closed()) {
            sink.done();
            return true;
          }
          const auto now = std::chrono::steady_clock::now();
          if (std::optional<Event> event = listener->Next(kEventWait)) {
            const std::string wire = event->Wire();
            *last_write = now;
            return sink.write(wire.data(), wire.size());
          }
          if (now - *last_write > kEventKeepAlive) {
            *last_write = now;
            const std::string ping = ": ping\n\n";
            return sink.write(ping.data(), ping.size());
          }
          return !sink.is_writable || sink.is_writable();
        },
        [this, listener](bool) { events.Leave(listener); });
  }

  void Serve(const Route& route, const Request& req, Response& res) {
    try {
      switch (route.kind) {
        case Route::Kind::Immediate:
          Write(res, route.answer(CallOf(req)));
          return;
        case Route::Kind::Device:
          ServeDevice(route, req, res);
          return;
        case Route::Kind::Events:
          ServeEvents(req, res);
          return;
      }
    } catch (const ProblemError& e) {
      Write(res, ProblemReply(e.problem()));
    }
  }

  void Configure() {
    server.new_task_queue = [this] { return new BoundedPool(options.workers, options.waiting_connections, stopping); };
    server.set_payload_max_length(options.max_body);
    // The headers and the body go in separate writes: without this, each
    // answer waits out the client's delayed acknowledgement (40 ms).
    server.set_tcp_nodelay(true);
    server.set_read_timeout(options.idle_seconds, 0);
    server.set_write_timeout(options.idle_seconds, 0);
    server.set_keep_alive_timeout(options.idle_seconds);
    server.set_keep_alive_max_count(kKeepAliveRequests);
    server.set_pre_routing_handler([this](const Request& req, Response& res) { return Screen(req, res); });
    for (const Route& route : routes) {
      auto handler = [this, &route](const Request& req, Response& res) { Serve(route, req, res); };
      if (route.method == "GET") server.Get(route.pattern, handler);
      if (route.method == "POST") server.Post(route.pattern, handler);
    }
    // What the HTTP library answers itself (an unknown path, a body too
    // large, a malformed request) is a problem like any other.
    server.set_error_handler(httplib::Server::HandlerWithResponse([](const Request&, Response& res) {
      if (!res.body.empty()) return Handled::Unhandled;
      switch (res.status) {
        case 404:
          WriteProblem(res, "nao_encontrado", "Rota desconhecida");
          break;
        case 413:
          WriteProblem(res, "corpo_grande", "O corpo da requisi\xE7\xE3o passa do limite do servi\xE7o");
          break;
        case 431:
          WriteProblem(res, "cabecalhos_grandes", "Cabe\347alhos grandes demais");
          break;
        case 400:
          WriteProblem(res, "requisicao_invalida",
                       "Requisi\xE7\xE3o HTTP malformada (um POST sem corpo leva Content-Length: 0)");
          break;
        default:
          return Handled::Unhandled;
      }
      return Handled::Handled;
    }));
    server.set_exception_handler([](const Request&, Response& res, std::exception_ptr failure) {
      std::string what = "?";
      try {
        if (failure) std::rethrow_exception(failure);
      } catch (const std::exception& e) {
        what = e.what();
      } catch (...) {
      }
      std::fprintf(stderr, "qdm_service: erro interno: %s\n", platform::Cp1252ToUtf8(what).c_str());
      WriteProblem(res, "erro_interno", "Erro interno do servi\xE7o");
    });
    server.set_logger([](const Request& req, const Response& res) {
      std::fprintf(stderr, "qdm_service: %s %s %d\n", req.method.c_str(), req.path.c_str(), res.status);
    });
  }
};

HttpService::HttpService(HttpOptions options, std::string token, Dispatcher& dispatcher, EventHub& events,
                         std::vector<Route> routes)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(token), dispatcher, events, std::move(routes))) {
  impl_->Configure();
}

HttpService::~HttpService() { Stop(); }

int HttpService::Bind() {
  Impl& s = *impl_;
  int port = s.options.port;
  if (port == 0) {
    port = s.server.bind_to_any_port(s.options.address);
    if (port <= 0) throw std::runtime_error("N\xE3o foi poss\xEDvel escutar em " + s.options.address);
  } else if (!s.server.bind_to_port(s.options.address, port)) {
    throw std::runtime_error("N\xE3o foi poss\xEDvel escutar em " + s.options.address + ":" + std::to_string(port) +
                             " (porta em uso?)");
  }
  if (IsLoopback(s.options.address)) {
    for (const char* name : {"127.0.0.1", "localhost", "[::1]"})
      s.hosts.insert(std::string(name) + ":" + std::to_string(port));
  }
  return port;
}

void HttpService::Start() {
  Impl& s = *impl_;
  s.listener = std::thread([&s] {
    s.server.listen_after_bind();
    s.listening_ended = true;
  });
  // Serving once this answers (the address printed then is true), and a
  // stop that follows at once finds the server running: the library's
  // stop does nothing to a server that has not begun to listen.
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!s.server.is_running() && !s.listening_ended && std::chrono::steady_clock::now() < bound)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void HttpService::Stop() {
  Impl& s = *impl_;
  if (s.stopping.exchange(true)) return;
  s.events.Close();
  if (s.listener.joinable()) {
    bool asked = false;
    while (!s.listening_ended) {
      if (!asked && s.server.is_running()) {
        s.server.stop();
        asked = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    s.listener.join();
  }
}

}  // namespace qdm_service
