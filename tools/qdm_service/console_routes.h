// The technician's console: the page's files, served at "/" without the
// token (the page asks for it), and the register's records the page reads
// through the token-protected API: the printed tape, the debug log and the
// TEF manager's transactions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/qdm_service/routes.h"

namespace qdm_service {

// Appends the console's routes and the records' routes for the register
// `host` serves (its home names the files; nothing from a request does).
void AppendConsoleRoutes(std::vector<Route>& routes, const RegisterHost& host);

// ---- The parts, for the tests ----

// The page's files, read once at start from `directory` (top level only,
// names of letters, digits, '.', '_' and '-' with a known extension): a
// request looks a name up in this table and never opens a file.
class ConsoleFiles {
 public:
  explicit ConsoleFiles(const std::string& directory);
  // Where the console is installed beside the running program, or "".
  static std::string Locate();
  bool empty() const { return files_.empty(); }
  // The file's reply, or a 404 problem.
  Reply Serve(const std::string& name) const;

 private:
  struct File {
    std::string type;
    std::string bytes;
  };
  std::vector<std::pair<std::string, File>> files_;
};

// The routes of the register's records: GET /v1/bobina, GET
// /v1/log-depuracao, GET /v1/log-depuracao/erros, GET /v1/tef/transacoes.
std::vector<Route> RecordRoutes(const std::string& home, const std::string& tef_journal);

// The last `limit` bytes of the file, starting at a line's start when cut;
// `size` receives the file's length (0 when it does not exist).
std::string TailOfFile(const std::string& path, std::size_t limit, std::uintmax_t& size, std::uintmax_t& from);

}  // namespace qdm_service
