// The register's records as the console reads them: files the library,
// the emulated printer and the TEF manager append to, read (never changed)
// from their ends, converted to UTF-8 with the control bytes named.
#include <filesystem>
#include <fstream>

#include "emulators/tef/journal.h"
#include "platform/base/encoding.h"
#include "tools/qdm_register/log_view.h"
#include "tools/qdm_service/console_routes.h"
#include "tools/qdm_service/requests.h"

namespace qdm_service {

namespace {

// What one answer carries at most: the end of the day's tape (a coupon is
// about 2 KiB), the end of the debug log.
constexpr std::size_t kTapeBytes = 64 * 1024;
constexpr std::size_t kLogBytes = 256 * 1024;

Json FileBody(const std::string& name, const std::string& text, std::uintmax_t size, std::uintmax_t from,
              bool present) {
  return Json{{"arquivo", name}, {"existe", present},   {"tamanho", size},
              {"inicio", from},  {"cortado", from > 0}, {"texto", text}};
}

Route Record(const char* pattern, std::function<Reply()> answer) {
  Route route;
  route.method = "GET";
  route.pattern = pattern;
  route.answer = [answer = std::move(answer)](const Call&) { return answer(); };
  return route;
}

Reply Tape(const std::string& path) {
  std::uintmax_t size = 0, from = 0;
  const std::string bytes = TailOfFile(path, kTapeBytes, size, from);
  qdm_register::LogViewOptions options;
  options.fold_blanks = false;  // the printer's columns
  return JsonReply(
      200, FileBody("tape.txt", qdm_register::Readable(bytes, options), size, from, std::filesystem::exists(path)));
}

Reply DebugLog(const std::string& path, bool errors_only) {
  std::uintmax_t size = 0, from = 0;
  const std::string bytes = TailOfFile(path, kLogBytes, size, from);
  qdm_register::LogViewOptions options;
  options.errors_only = errors_only;
  Json body =
      FileBody("impdebug.txt", qdm_register::Readable(bytes, options), size, from, std::filesystem::exists(path));
  body["somenteErros"] = errors_only;
  return JsonReply(200, body);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

// Every transaction the manager's journal holds and the state it ended in
// (the journal replayed, as the manager itself rebuilds its memory).
Reply TefTransactions(const std::string& path) {
  Json list = Json::array();
  const bool present = std::filesystem::exists(path);
  if (present) {
    for (const tef_emu::Transaction& t : tef_emu::Journal(path).transactions()) {
      Json record = {{"nsu", t.nsu},
                     {"tipo", t.kind},
                     {"rede", platform::Cp1252ToUtf8(t.network)},
                     {"valor", AmountText(t.amount)},
                     {"estado", Lower(tef_emu::state_name(t.state))},
                     {"finalizacao", t.finalisation},
                     {"respostaEntregue", t.answered}};
      if (t.state == tef_emu::State::Cancelada) record["estadoAntes"] = Lower(tef_emu::state_name(t.before));
      if (!t.original.empty()) record["nsuOriginal"] = t.original;
      list.push_back(std::move(record));
    }
  }
  return JsonReply(200, {{"arquivo", "journal.txt"}, {"existe", present}, {"transacoes", list}});
}

}  // namespace

std::string TailOfFile(const std::string& path, std::size_t limit, std::uintmax_t& size, std::uintmax_t& from) {
  size = from = 0;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  size = static_cast<std::uintmax_t>(in.tellg());
  from = size > limit ? size - limit : 0;
  std::string bytes(static_cast<std::size_t>(size - from), '\0');
  in.seekg(static_cast<std::streamoff>(from));
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (from > 0) {
    // Cut inside a line: the answer starts at the next whole one.
    const std::size_t line = bytes.find('\n');
    const std::size_t skip = line == std::string::npos ? bytes.size() : line + 1;
    bytes.erase(0, skip);
    from += skip;
  }
  return bytes;
}

std::vector<Route> RecordRoutes(const std::string& home, const std::string& tef_journal) {
  const std::string tape = home + "tape.txt";
  const std::string log = home + "impdebug.txt";
  return {
      Record("/v1/bobina", [tape] { return Tape(tape); }),
      Record("/v1/log-depuracao", [log] { return DebugLog(log, false); }),
      Record("/v1/log-depuracao/erros", [log] { return DebugLog(log, true); }),
      Record("/v1/tef/transacoes", [tef_journal] { return TefTransactions(tef_journal); }),
  };
}

}  // namespace qdm_service
