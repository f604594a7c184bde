#include "emulators/tef/commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "emulators/common/clock.h"
#include "emulators/tef/manager_clock.h"
#include "emulators/common/fields.h"
#include "emulators/tef/vouchers.h"

namespace tef_emu {
namespace {

constexpr const char* approved = "0";
constexpr const char* declined = "05";

std::optional<long long> parse_cents(const std::string& text) {
  if (text.size() > 12 || !emu::AllDigits(text)) return std::nullopt;
  return std::stoll(text);
}

std::string or_default(std::string value, const std::string& fallback) { return value.empty() ? fallback : value; }

std::string finalisation(const emu::DateTime& now, const std::string& nsu) {
  return emu::Format(now, "%Y%m%d%H%M%S") + nsu;
}

std::string authorisation(const std::string& nsu) {
  char text[24];
  std::snprintf(text, sizeof text, "%06lld", (std::stoll(nsu) * 7919 + 104729) % 1000000);
  return text;
}

// Fields every transaction answer carries.
Answer answer_head(const std::string& command, const Record& request, const Transaction& t, const emu::DateTime& now,
                   const char* status) {
  return {
      {"000-000", command},
      {"001-000", request.field("001-000")},
      {"002-000", or_default(request.field("002-000"), t.nsu)},
      {"003-000", std::to_string(t.amount)},
      {"009-000", status},
      {"010-000", t.network},
      {"012-000", t.nsu},
      {"022-000", emu::Format(now, "%d%m%Y")},
      {"023-000", emu::Format(now, "%H%M%S")},
      {"027-000", t.finalisation},
  };
}

void add_voucher(Answer& answer, const std::vector<std::string>& lines) {
  answer["028-000"] = std::to_string(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    char code[32];
    std::snprintf(code, sizeof code, "029-%03zu", i + 1);
    answer[code] = "\"" + lines[i] + "\"";
  }
}

Transaction new_transaction(const char* kind, Context& context, std::string network, long long amount,
                            const emu::DateTime& now) {
  Transaction t;
  t.kind = kind;
  t.nsu = context.journal.next_nsu();
  t.network = or_default(std::move(network), context.default_network);
  t.amount = amount;
  t.finalisation = finalisation(now, t.nsu);
  return t;
}

std::optional<Answer> serve_atv(const Record& request, Context& context) {
  context.journal.note("ATV", request.field("001-000"), "gerenciador ativo");
  return std::nullopt;
}

// Reason journaled with a transaction the manager undid by itself.
constexpr std::string_view undone_by_manager = "desfeita pelo gerenciador: ";

void reinstate_sale(const Transaction& cancellation, const std::string& id, Context& context);

// Undoes every pending transaction for which `reason` gives a reason.
int undo_abandoned(Context& context, const std::string& id, const AbandonReason& reason) {
  int undone = 0;
  for (Transaction t : context.journal.pending()) {
    const auto why = reason(t);
    if (!why) continue;
    t.state = State::Desfeita;
    context.journal.record("NCN", id, t, std::string(undone_by_manager) + *why);
    if (t.kind == "CNC") reinstate_sale(t, id, context);
    ++undone;
  }
  return undone;
}

// The client starts another transaction: whatever it left pending is
// abandoned, but `spared` (the sale a cancellation names, which the
// cancellation itself settles).
int undo_before_new_transaction(Context& context, const std::string& id, const std::string& spared = {}) {
  return undo_abandoned(context, id, [&](const Transaction& t) -> std::optional<std::string> {
    if (!spared.empty() && t.nsu == spared) return std::nullopt;
    return "nova transacao";
  });
}

std::optional<Answer> serve_crt(const Record& request, Context& context) {
  undo_before_new_transaction(context, request.field("001-000"));
  const auto now = manager_clock().Now();
  const auto amount = parse_cents(request.field("003-000"));
  auto sale = new_transaction("CRT", context, request.field("010-000"), amount.value_or(0), now);
  const char* refusal = (!amount || *amount == 0)  ? "Valor invalido"
                        : context.settings.decline ? "Transacao negada"
                                                   : nullptr;
  sale.state = refusal ? State::Negada : State::Pendente;
  context.journal.record("CRT", request.field("001-000"), sale, refusal ? refusal : "");

  const bool credit = request.field("011-000") == "10";
  auto answer = answer_head("CRT", request, sale, now, refusal ? declined : approved);
  answer["004-000"] = or_default(request.field("004-000"), "0");
  answer["011-000"] = credit ? "10" : "20";
  if (refusal) {
    answer["030-000"] = refusal;
    return answer;
  }
  answer["013-000"] = authorisation(sale.nsu);
  add_voucher(answer, voucher_lines(SaleVoucher{sale.network, credit, sale.nsu, answer["013-000"], sale.amount, now}));
  answer["030-000"] = "Transacao aprovada";
  return answer;
}

// What a confirmation (CNF) or an undo (NCN) does to a transaction in each
// state. A transaction is never both confirmed and undone.
struct Transition {
  State from;
  State to;
  const char* note;
};

constexpr std::array<Transition, 5> confirm_rules{{
    {State::Pendente, State::Confirmada, ""},
    {State::Confirmada, State::Confirmada, "ja confirmada"},
    {State::Desfeita, State::Desfeita, "recusada: transacao desfeita"},
    {State::Cancelada, State::Cancelada, "recusada: transacao cancelada"},
    {State::Negada, State::Negada, "recusada: transacao negada"},
}};

constexpr std::array<Transition, 5> undo_rules{{
    {State::Pendente, State::Desfeita, ""},
    {State::Confirmada, State::Confirmada, "recusada: transacao ja confirmada"},
    {State::Desfeita, State::Desfeita, "ja desfeita"},
    {State::Cancelada, State::Cancelada, "ja cancelada"},
    {State::Negada, State::Negada, "transacao negada: nada a desfazer"},
}};

const Transaction* named_transaction(const Record& request, const Journal& journal) {
  if (const auto* t = journal.find(request.field("010-000"), request.field("012-000"))) return t;
  return journal.find_by_finalisation(request.field("027-000"));
}

// An undone cancellation never happened: the sale gets its state back.
void reinstate_sale(const Transaction& cancellation, const std::string& id, Context& context) {
  const auto* sale = context.journal.find(cancellation.network, cancellation.original);
  if (!sale || sale->state != State::Cancelada) return;
  Transaction restored = *sale;
  restored.state = sale->before;
  context.journal.record("NCN", id, restored, "cancelamento desfeito");
}

std::optional<Answer> settle(const Record& request, Context& context, const char* command,
                             std::span<const Transition> rules) {
  const auto id = request.field("001-000");
  const auto* found = named_transaction(request, context.journal);
  if (!found) {
    context.journal.note(command, id,
                         "transacao nao encontrada: rede " + request.field("010-000") + " doc " +
                             request.field("012-000") + " fin " + request.field("027-000"));
    return std::nullopt;
  }
  Transaction t = *found;
  const auto rule = std::find_if(rules.begin(), rules.end(), [&](const Transition& r) { return r.from == t.state; });
  t.state = rule->to;
  context.journal.record(command, id, t, rule->note);
  if (std::string_view(rule->note).starts_with("recusada")) context.refusal = rule->note;
  if (rule->from == State::Pendente && t.state == State::Desfeita && t.kind == "CNC") reinstate_sale(t, id, context);
  return std::nullopt;
}

std::optional<Answer> serve_cnf(const Record& request, Context& context) {
  return settle(request, context, "CNF", confirm_rules);
}

std::optional<Answer> serve_ncn(const Record& request, Context& context) {
  return settle(request, context, "NCN", undo_rules);
}

const char* cancel_refusal(const Transaction* sale, const std::string& amount_text) {
  if (!sale) return "Transacao nao encontrada";
  if (sale->state == State::Cancelada) return "Transacao ja cancelada";
  if (sale->kind != "CRT" || (sale->state != State::Pendente && sale->state != State::Confirmada))
    return "Transacao nao pode ser cancelada";
  if (!amount_text.empty() && parse_cents(amount_text) != sale->amount) return "Valor nao confere";
  return nullptr;
}

std::optional<Answer> serve_cnc(const Record& request, Context& context) {
  const auto now = manager_clock().Now();
  const auto id = request.field("001-000");
  const auto network = or_default(request.field("010-000"), context.default_network);
  const auto* named = context.journal.find(network, request.field("012-000"));
  undo_before_new_transaction(context, id, named ? named->nsu : std::string());
  const auto* sale = context.journal.find(network, request.field("012-000"));
  const char* refusal = cancel_refusal(sale, request.field("003-000"));

  const long long amount = sale ? sale->amount : parse_cents(request.field("003-000")).value_or(0);
  auto cancellation = new_transaction("CNC", context, network, amount, now);
  cancellation.original = request.field("012-000");
  cancellation.state = refusal ? State::Negada : State::Pendente;
  // The cancellation is journaled before the sale it cancels: a power
  // failure between the two lines leaves a pending cancellation (undone at
  // the next start) and the sale as it was, never a sale cancelled by
  // nothing.
  context.journal.record("CNC", id, cancellation, refusal ? refusal : "");
  if (!refusal) {
    Transaction cancelled = *sale;
    cancelled.before = sale->state;
    cancelled.state = State::Cancelada;
    context.journal.record("CNC", id, cancelled, "cancelada pelo doc " + cancellation.nsu);
  }

  auto answer = answer_head("CNC", request, cancellation, now, refusal ? declined : approved);
  if (refusal) {
    answer["030-000"] = std::string("Cancelamento negado: ") + refusal;
    return answer;
  }
  add_voucher(answer, voucher_lines(CancellationVoucher{cancellation.network, cancellation.nsu, cancellation.original,
                                                        amount, now}));
  answer["030-000"] = "Cancelamento aprovado";
  return answer;
}

struct CommandEntry {
  std::string_view code;
  std::optional<Answer> (*serve)(const Record&, Context&);
};

constexpr std::array<CommandEntry, 5> commands{{
    {"ATV", serve_atv},
    {"CRT", serve_crt},
    {"CNF", serve_cnf},
    {"NCN", serve_ncn},
    {"CNC", serve_cnc},
}};

}  // namespace

int undo_abandoned_at_start(Context& context, const AbandonReason& reason) {
  return undo_abandoned(context, "", reason);
}

std::optional<Answer> serve_request(const Record& request, Context& context) {
  const auto code = request.field("000-000");
  for (const auto& command : commands)
    if (command.code == code) return command.serve(request, context);
  context.journal.note(code, request.field("001-000"), "comando desconhecido: so confirmado");
  return std::nullopt;
}

}  // namespace tef_emu
