// The service's routes as data: method, path, how each is answered, and
// for the device routes how the request is decoded (on the HTTP worker)
// into work for the library's main thread. The HTTP layer (http_service.h)
// serves them; nothing here knows HTTP beyond a path and a body.
//
// Adding a route: a row in ServiceRoutes (routes.cpp), its operation, and
// its path in openapi.json (the tests check every answer against it).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tools/qdm_service/dispatcher.h"
#include "tools/qdm_service/problem.h"

namespace qdm_service {

class RegisterHost;
class SaleDesk;

// A request as a route sees it.
struct Call {
  std::string path;
  std::vector<std::string> captures;  // the path's parameters, in order
  std::string body;                   // UTF-8 JSON, checked by the decoder
};

struct Route {
  enum class Kind {
    Immediate,  // answered on the HTTP worker (no device)
    Device,     // decoded on the worker, run on the main thread
    Events,     // the event stream
  };
  std::string method;   // "GET", "POST"
  std::string pattern;  // a regular expression over the whole path
  Kind kind = Kind::Immediate;
  std::string what;                          // the task's name ("suprimento")
  std::function<Reply(const Call&)> answer;  // Immediate
  std::function<Work(const Call&)> decode;   // Device: raises ProblemError
  bool open = false;                         // served without the token
};

struct RouteOptions {
  bool raw_command = false;  // POST /v1/comando (the printer's own commands)
};

std::vector<Route> ServiceRoutes(RegisterHost& host, SaleDesk& sales, Dispatcher& dispatcher,
                                 const RouteOptions& options);

// The OpenAPI document, as built into the program.
const std::string& OpenApiDocument();

// The body of GET /v1/tarefas/{id} for a task, and of a 202 for one still
// at work.
Json TaskBody(const Task& task);

}  // namespace qdm_service
