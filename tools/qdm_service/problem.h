// What the service answers: a reply as it goes on the wire, and the
// problems (application/problem+json) a request may end in, each with its
// stable code, its HTTP status, the operator's message and the field at
// fault.
#pragma once
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace qdm_service {

using Json = nlohmann::json;

// An answer as it goes on the wire (the body in UTF-8).
struct Reply {
  int status = 200;
  std::string content_type = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

Reply JsonReply(int status, const Json& body);

// A problem of a request. The texts are Windows-1252, as the library's
// messages are; they become UTF-8 at the boundary.
struct Problem {
  std::string codigo;    // stable code, one of the table in problem.cpp
  std::string mensagem;  // for the operator, in Portuguese
  std::string campo;     // the field at fault ("valor", "linhas/2"), or ""
};

// HTTP status of a problem code (500 for a code not in the table).
int StatusOf(const std::string& codigo);
// The problem+json body: type, title, status, detail (RFC 9457), and the
// members codigo, mensagem and campo.
Json ProblemBody(const Problem& problem);
Reply ProblemReply(const Problem& problem);

// Raised where a request cannot go on; the HTTP layer answers it.
class ProblemError : public std::runtime_error {
 public:
  explicit ProblemError(Problem problem);
  const Problem& problem() const { return problem_; }

 private:
  Problem problem_;
};

[[noreturn]] void Fail(const std::string& codigo, const std::string& mensagem, const std::string& campo = "");

// Every code the service answers, with its status and title, for the
// documentation's check that each one is documented.
struct ProblemKind {
  const char* codigo;
  int status;
  const char* titulo;  // Windows-1252
};
const std::vector<ProblemKind>& ProblemKinds();

}  // namespace qdm_service
