// The HTTP side of the service (cpp-httplib): the routes served on the
// loopback address, the bearer token, the browser origins allowed (none by
// default), and bounds on everything a client controls: body, headers,
// connections, idle time, how long a worker waits for the devices.
#pragma once
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/qdm_service/dispatcher.h"
#include "tools/qdm_service/events.h"
#include "tools/qdm_service/routes.h"

namespace qdm_service {

struct HttpOptions {
  std::string address = "127.0.0.1";
  int port = 0;                          // 0: a free port the system picks
  std::vector<std::string> origins;      // browser origins allowed ("http://localhost:5173")
  std::size_t workers = 12;              // connections served at once
  std::size_t waiting_connections = 16;  // accepted, waiting for a worker
  std::size_t max_body = 64 * 1024;
  std::size_t max_headers = 64;
  std::size_t max_header_bytes = 16 * 1024;
  int idle_seconds = 5;         // read, write and keep-alive bound
  int default_wait_ms = 30000;  // `espera` when the request names none
  int max_wait_ms = 120000;
};

class HttpService {
 public:
  HttpService(HttpOptions options, std::string token, Dispatcher& dispatcher, EventHub& events,
              std::vector<Route> routes);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Binds the address; answers the port. Raises std::runtime_error
  // (Windows-1252) when it cannot.
  int Bind();
  // Serves on a thread of its own until Stop.
  void Start();
  // Stops accepting, ends the event streams, waits for the workers.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qdm_service
