#include "emulators/tef/manager.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "emulators/tef/commands.h"
#include "emulators/tef/files.h"
#include "emulators/tef/record.h"
#include "emulators/tef/stop.h"

namespace tef_emu {
namespace {

constexpr int poll_ms = 25;
// A request still being written gets this long to reach its "999-999".
constexpr int incomplete_wait_ms = 2000;
constexpr int reread_ms = 20;

std::string other_identifier(std::string id) {
  if (id.empty()) return "0000000001";
  id.back() = (id.back() == '1') ? '2' : '1';
  return id;
}

}  // namespace

std::string default_network(const std::filesystem::path& root) {
  auto name = root.filename();
  if (name.empty()) name = root.parent_path().filename();
  return strcasecmp(name.c_str(), "tef_disc") == 0 ? "TECBAN" : "REDECARD";
}

std::filesystem::path journal_path(const Options& options) {
  return options.journal.empty() ? options.root / "journal.txt" : options.journal;
}

Manager::Manager(Options options)
    : options_(std::move(options)),
      journal_(journal_path(options_)),
      requests_(options_.root / "req"),
      answers_(options_.root / "resp"),
      taken_(requests_ / ".tef_manager.taken") {
  if (options_.network.empty()) options_.network = default_network(options_.root);
}

bool Manager::open() {
  std::error_code ec;
  std::filesystem::create_directories(requests_, ec);
  if (!ec) std::filesystem::create_directories(answers_, ec);
  if (ec) {
    std::cerr << "tef_manager: n\xC3\xA3o foi poss\xC3\xADvel criar req/resp em " << options_.root.string() << ": "
              << ec.message() << '\n';
    return false;
  }
  // Two managers on one root would both hand out document numbers.
  const auto lock_file = options_.root / "manager.lock";
  // A root it cannot write in is not one another manager serves.
  const int probe = ::open(lock_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (probe < 0) {
    std::cerr << "tef_manager: n\xC3\xA3o \xC3\xA9 poss\xC3\xADvel gravar em " << options_.root.string() << ": "
              << std::strerror(errno) << '\n';
    return false;
  }
  ::close(probe);
  if (!root_lock_.Acquire(lock_file.string())) {
    std::cerr << "tef_manager: outro gerenciador atende " << options_.root.string() << '\n';
    return false;
  }
  if (!journal_.writable()) {
    std::cerr << "tef_manager: n\xC3\xA3o \xC3\xA9 poss\xC3\xADvel gravar o di\xC3\xA1rio "
              << journal_path(options_).string() << '\n';
    return false;
  }
  std::filesystem::remove(taken_, ec);
  // Approvals an earlier run left pending are settled before anything else
  // is served, but only those whose answer never reached the client: never
  // written, or still in "resp" (withdrawn here, so the client can no
  // longer take it). An answer the client took may stand on a closed
  // coupon; its approval waits for the client's confirmation or undo, or
  // for the client's next transaction.
  Context context{journal_, options_.settings, options_.network};
  const int pending = static_cast<int>(journal_.pending().size());
  const int undone = undo_abandoned_at_start(context, [this](const Transaction& t) -> std::optional<std::string> {
    if (withdraw_answer(t)) return "pendente na partida, resposta nao retirada";
    if (!t.answered) return "pendente na partida, resposta nao gravada";
    return std::nullopt;
  });
  if (undone)
    std::cerr << "tef_manager: " << undone
              << " transa\xC3\xA7\xC3\xA3o(\xC3\265es) pendente(s) desfeita(s) na partida\n";
  if (pending > undone)
    std::cerr << "tef_manager: " << pending - undone
              << " transa\xC3\xA7\xC3\xA3o(\xC3\265es) pendente(s) aguardam a decis\xC3\xA3o do caixa\n";
  return true;
}

bool Manager::withdraw_answer(const Transaction& transaction) {
  const auto slot = find_file_nocase(answers_, "intpos.001");
  if (!slot) return false;
  const Record answer = parse_record(read_file(*slot).value_or(""));
  if (answer.field("012-000") != transaction.nsu || answer.field("010-000") != transaction.network) return false;
  // The rename decides it: once it succeeds the client can never take the
  // answer; when it fails the client has just taken it.
  const auto withdrawn = answers_ / ".tef_manager.withdrawn";
  if (::rename(slot->c_str(), withdrawn.c_str()) != 0) return false;
  std::error_code ec;
  std::filesystem::remove(withdrawn, ec);
  return true;
}

void Manager::journal_answered(const std::string& command, const std::string& id, const Answer& answer) {
  const auto network = answer.find("010-000");
  const auto nsu = answer.find("012-000");
  if (network == answer.end() || nsu == answer.end()) return;
  const auto* found = journal_.find(network->second, nsu->second);
  if (!found || found->state != State::Pendente || found->answered) return;
  journal_.answered(command, id, *found);
}

int Manager::run() {
  std::cerr << "tef_manager: atendendo " << options_.root.string() << " (rede " << options_.network
            << ", di\xC3\xA1rio " << journal_path(options_).string() << ")\n";
  int served = 0;
  while (!stop_requested()) {
    if (!serve_next()) {
      pause_ms(poll_ms);
      continue;
    }
    ++served;
    if (options_.exit_after > 0 && served >= options_.exit_after) break;
  }
  return served;
}

bool Manager::serve_next() {
  const auto found = find_file_nocase(requests_, "intpos.001");
  if (!found) return false;
  const Settings settings = with_control_file(options_.settings, options_.root / "manager.ctl");
  if (settings.absent) return false;
  Record request;
  if (!take_request(*found, request)) return false;
  respond(request, settings);
  return true;
}

// Renamed away first: the library's next request can never be mistaken
// for the rest of this one, nor deleted unread.
bool Manager::take_request(const std::filesystem::path& found, Record& request) {
  if (::rename(found.c_str(), taken_.c_str()) != 0) return false;
  emu::ReadResult read = emu::ReadResult::Read;
  for (int waited = 0;; waited += reread_ms) {
    request = parse_record(read_file(taken_, &read).value_or(""));
    if (request.complete() || read == emu::ReadResult::TooLarge || waited >= incomplete_wait_ms || stop_requested())
      break;
    pause_ms(reread_ms);
  }
  std::error_code ec;
  std::filesystem::remove(taken_, ec);
  if (read == emu::ReadResult::TooLarge) {
    journal_.note("", "", "pedido grande demais descartado");
    return false;
  }
  if (request.complete()) return true;
  journal_.note(request.field("000-000"), request.field("001-000"), "pedido incompleto descartado");
  std::cerr << "tef_manager: pedido incompleto descartado\n";
  return false;
}

void Manager::respond(const Record& request, const Settings& settings) {
  const auto command = request.field("000-000");
  const auto id = request.field("001-000");
  if (settings.no_ack || (settings.no_ack_settle && (command == "CNF" || command == "NCN"))) {
    journal_.note(command, id, "pedido ignorado: sem status");
    return;
  }
  Context context{journal_, settings, options_.network};
  const auto answer = serve_request(request, context);

  pause_ms(settings.ack_delay_ms);
  std::vector<Field> acknowledgement{{"000-000", command}, {"001-000", settings.wrong_id ? other_identifier(id) : id}};
  // A refused confirmation or undo says so, with the manager's reason:
  // the client must not tell its operator it happened.
  if (!context.refusal.empty()) {
    acknowledgement.push_back({"009-000", "05"});
    acknowledgement.push_back({"030-000", context.refusal});
  }
  const auto status = render_record(acknowledgement);
  if (!write_atomic(answers_ / "intpos.sts", status) || !answer) return;

  pause_ms(settings.answer_delay_ms);
  // Journaled once the answer is in place: at a restart, a pending
  // approval without this mark had no answer the client could have read.
  if (write_atomic(answers_ / "intpos.001", render_record(*answer), settings.slow_write_ms))
    journal_answered(command, id, *answer);
}

}  // namespace tef_emu
