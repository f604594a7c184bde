#include "tools/qdm_service/sale_desk.h"

#include <cmath>
#include <exception>
#include <optional>

#include "facade/Qdm00000.h"
#include "platform/base/encoding.h"
#include "platform/text/datetime.h"
#include "tef/intpos_record.h"
#include "tef/ledger.h"
#include "tools/qdm_service/register_host.h"

namespace qdm_service {

namespace {

using QdmVenda::CardState;
using QdmVenda::CouponState;

// The journal's note of the printer's day figure before a sale (not part
// of the answers). The name stays as journals already written carry it.
constexpr const char* kDayFigure = "_pagamentosDoDia";

std::string Utf8(const std::string& text) { return platform::Cp1252ToUtf8(text); }

std::string Money(double reais) { return DecimalText(std::llround(reais * 100), 2); }

const char* CouponName(CouponState state) {
  switch (state) {
    case CouponState::Closed:
      return "fechado";
    case CouponState::Cancelled:
      return "cancelado";
    case CouponState::LeftOpen:
      return "aberto";
    case CouponState::NotOpened:
      break;
  }
  return "nao_aberto";
}

const char* CardName(CardState state) {
  switch (state) {
    case CardState::Confirmed:
      return "confirmada";
    case CardState::Undone:
      return "desfeita";
    case CardState::Unsettled:
      return "pendente";
    case CardState::NotApproved:
      break;
  }
  return "nao_aprovada";
}

// The sale object of the answers: what the printer and the manager made
// of the sale (texts in UTF-8, money as decimal strings).
Json SaleJson(const std::string& key, const QdmVenda::SaleResult& r) {
  Json cards = Json::array();
  for (const QdmVenda::CardResult& card : r.cards)
    cards.push_back({{"tipo", Utf8(card.type)},
                     {"valor", Money(card.amount)},
                     {"aprovado", card.approved},
                     {"estado", CardName(card.state)},
                     {"rede", Utf8(card.network)},
                     {"documento", Utf8(card.document)},
                     {"autorizacao", Utf8(card.authorisation)},
                     {"mensagem", Utf8(card.message)}});
  Json messages = Json::array();
  for (const std::string& message : r.messages) messages.push_back(Utf8(message));
  Json sale = {
      {"idVenda", key},
      {"concluida", r.completed},
      {"cupom",
       {{"estado", CouponName(r.coupon)},
        {"numero", r.coupon_number.empty() ? Json(nullptr) : Json(Utf8(r.coupon_number))}}},
      {"subtotal", Money(r.subtotal)},
      {"desconto", Money(r.discount)},
      {"total", Money(r.total)},
      {"pago", Money(r.paid)},
      {"troco", Money(r.change)},
      {"cartoes", cards},
      {"mensagens", messages},
  };
  if (!r.completed) sale["falha"] = Utf8(r.failure.empty() ? "a venda n\xE3o foi conclu\355da" : r.failure);
  return sale;
}

// The answer to a sale: 200 with the sale, or 422 problem+json carrying
// the sale in its member "venda".
Reply SaleReply(const Json& sale) {
  if (sale.value("concluida", false)) return JsonReply(200, sale);
  Json body = ProblemBody(
      Problem{"venda_abandonada",
              platform::Utf8ToCp1252(sale.value("falha", std::string("venda n\xC3\xA3o conclu\xC3\255da"))), ""});
  body["venda"] = sale;
  Reply reply = JsonReply(StatusOf("venda_abandonada"), body);
  reply.content_type = "application/problem+json";
  return reply;
}

// What the journal keeps as a key's outcome.
std::string Outcome(const char* estado, const Json& sale) { return Json{{"estado", estado}, {"venda", sale}}.dump(); }

Json Parsed(const std::string& text) {
  Json value = Json::parse(text, nullptr, false);
  return value.is_discarded() ? Json::object() : value;
}

// The key as GET answers it: its state and its sale (as answered, or as
// far as it went).
Json KeyJson(const SaleJournal::Entry& entry) {
  Json body = {{"idVenda", entry.key}};
  if (entry.outcome) {
    const Json outcome = Parsed(*entry.outcome);
    body["estado"] = outcome.value("estado", std::string("concluida"));
    body["venda"] = outcome.value("venda", Json::object());
  } else {
    body["estado"] = "em_andamento";
    body["venda"] = Parsed(entry.progress);
    body["venda"].erase(kDayFigure);
  }
  if (!entry.begun.empty()) body["inicio"] = entry.begun;
  return body;
}

std::string Now() { return platform::FormatDateTime("yyyy-mm-dd hh:nn:ss", platform::Now()); }

// A card approved before a power failure, as the TEF ledger holds it
// after the recovery: confirmed or undone once acknowledged, pending while
// the manager has not acknowledged the decision. An approval the ledger
// never decided was undone by the manager's own rule (an unconfirmed
// approval does not stand).
const char* LedgerCardState(const std::string& network, const std::string& document) {
  try {
    const auto ledger = Qdm00500::detail::Ledger::Load(Qdm00500::detail::kRootDial);
    for (auto it = ledger.Entries().rbegin(); it != ledger.Entries().rend(); ++it) {
      if (it->key.network != network || it->key.document != document) continue;
      if (!it->acknowledged) return "pendente";
      return it->decision == Qdm00500::detail::Decision::Confirm ? "confirmada" : "desfeita";
    }
  } catch (const std::exception&) {
    return "pendente";
  }
  return "desfeita";
}

// The sale a power failure cut, settled from what was journaled and what
// the printer's start and the till's recovery did: a coupon journaled as
// closed stands; one opened and not closed was cancelled (by the sale
// itself or by the start, which cancels a coupon left open); none opened,
// none printed.
Json Reconciled(const SaleJournal::Entry& entry, std::optional<long long> day_now) {
  Json sale = Parsed(entry.progress);
  const Json day_before = sale.value(kDayFigure, Json(nullptr));
  sale.erase(kDayFigure);
  sale["idVenda"] = entry.key;
  Json& coupon = sale["cupom"];
  if (!coupon.is_object()) coupon = {{"estado", "nao_aberto"}, {"numero", nullptr}};
  bool closed = coupon.value("estado", std::string()) == "fechado";
  // The power failed between the printer's closing and its journal line:
  // the printer's day figure, which only a closed coupon raises, says
  // whether the coupon stands.
  if (!closed && !coupon.value("numero", Json(nullptr)).is_null() && day_before.is_number_integer() && day_now &&
      *day_now > day_before.get<long long>()) {
    closed = true;
    coupon["estado"] = "fechado";
  }
  if (!closed) coupon["estado"] = coupon.value("numero", Json(nullptr)).is_null() ? "nao_aberto" : "cancelado";
  bool cards_stand = true;
  if (!sale.contains("cartoes") || !sale["cartoes"].is_array()) sale["cartoes"] = Json::array();
  for (Json& card : sale["cartoes"]) {
    if (!card.value("aprovado", false)) continue;
    card["estado"] = LedgerCardState(platform::Utf8ToCp1252(card.value("rede", std::string())),
                                     platform::Utf8ToCp1252(card.value("documento", std::string())));
    cards_stand = cards_stand && card["estado"] == "confirmada";
  }
  sale["concluida"] = closed && cards_stand;
  if (!sale.contains("mensagens")) sale["mensagens"] = Json::array();
  if (sale["concluida"].get<bool>())
    sale.erase("falha");
  else
    sale["falha"] = closed
                        ? "venda interrompida por falta de energia: o cupom ficou fechado, o cart\xC3\xA3o n\xC3\xA3o"
                          " foi confirmado"
                        : "venda interrompida por falta de energia: nada ficou registrado para o cliente";
  for (const char* money : {"subtotal", "desconto", "total", "pago", "troco"})
    if (!sale.contains(money)) sale[money] = "0.00";
  return sale;
}

}  // namespace

SaleDesk::SaleDesk(RegisterHost& host, const std::string& journal_path) : host_(host), journal_(journal_path) {}

Json SaleDesk::Reconcile() {
  // Without the printer nothing can be told of a coupon: the keys wait
  // (answered 409 venda_em_andamento) for a start or a recovery that has it.
  if (!host_.printer_started()) return Json::array();
  Observation seen;
  host_.observer().Run([this] { return host_.till().Recover().ok; }, seen);
  return ReconcileKeys();
}

Json SaleDesk::ReconcileKeys() {
  Json done = Json::array();
  if (!host_.printer_started()) return done;
  const std::vector<SaleJournal::Entry> pending = journal_.Pending();
  // A coupon still open (the start could not cancel it) has moved the
  // day's figures as a closed one would: nothing is decided while the
  // printer holds it, and the keys wait for a start or a recovery that
  // cancels it.
  if (!pending.empty() && host_.AskCouponOpen().value_or(false)) return done;
  const std::optional<long long> day_now = pending.empty() ? std::nullopt : host_.DayFigure();
  for (const SaleJournal::Entry& entry : pending) {
    const Json sale = Reconciled(entry, day_now);
    journal_.Finish(entry.key, Outcome("reconciliada", sale));
    host_.events().Publish("venda", {{"idVenda", entry.key}, {"estado", "reconciliada"}, {"venda", sale}});
    done.push_back(sale);
  }
  return done;
}

Work SaleDesk::Sell(SaleOrder order) {
  return [this, order = std::move(order)]() -> Reply {
    // A key already journaled answers from the journal, whatever the
    // printer's state: nothing is printed again.
    if (const std::optional<SaleJournal::Entry> known = journal_.Find(order.key)) {
      if (known->request != order.canonical)
        Fail("chave_reutilizada", "A chave " + order.key + " j\xE1 foi usada com outro pedido de venda", "idVenda");
      if (!known->outcome) Fail("venda_em_andamento", "A venda " + order.key + " est\xE1 em andamento", "idVenda");
      return SaleReply(Parsed(*known->outcome).value("venda", Json::object()));
    }
    host_.RequirePrinterForSale();

    QdmVenda::SaleResult before;  // the totals, journaled with the key
    {
      double subtotal = 0, paid = 0;
      for (const QdmVenda::Item& item : order.sale.items) subtotal += std::round(item.Amount() * 100) / 100;
      for (const QdmVenda::Payment& payment : order.sale.payments) paid += payment.amount;
      before.subtotal = subtotal;
      before.discount = order.sale.discount;
      before.total = subtotal - order.sale.discount;
      before.paid = paid;
      before.change = paid - before.total;
    }
    // The printer's day figure before the sale: after a power failure, a
    // sale whose coupon was opened and not journaled as closed is closed
    // when the figure moved.
    Json begun = SaleJson(order.key, before);
    if (const std::optional<long long> day = host_.DayFigure()) begun[kDayFigure] = *day;
    SaleJournal::Entry entry;
    switch (journal_.Begin(order.key, order.canonical, &entry, begun.dump(), Now())) {
      case SaleJournal::Claim::Begun:
        break;
      case SaleJournal::Claim::Conflict:
        Fail("chave_reutilizada", "A chave " + order.key + " j\xE1 foi usada com outro pedido de venda", "idVenda");
      case SaleJournal::Claim::Pending:
        Fail("venda_em_andamento", "A venda " + order.key + " est\xE1 em andamento", "idVenda");
      case SaleJournal::Claim::Done:
        return SaleReply(Parsed(*entry.outcome).value("venda", Json::object()));
    }
    host_.events().Publish("venda", {{"idVenda", order.key}, {"estado", "em_andamento"}});

    // Each turning point is on disk before the sale goes on; a journal
    // that cannot be written raises inside the sale, which abandons it.
    QdmVenda::Till& till = host_.till();
    const std::string key = order.key;
    const Json day = begun.value(kDayFigure, Json(nullptr));
    till.setup().on_progress = [this, key, day](const QdmVenda::SaleResult& so_far) {
      const Json sale = SaleJson(key, so_far);
      Json journaled = sale;
      if (!day.is_null()) journaled[kDayFigure] = day;
      journal_.Progress(key, journaled.dump());
      host_.events().Publish("venda", {{"idVenda", key}, {"estado", "em_andamento"}, {"venda", sale}});
    };
    QdmVenda::SaleResult result;
    Observation seen;
    host_.observer().Run(
        [&] {
          result = till.Sell(order.sale);
          return result.completed;
        },
        seen);
    till.setup().on_progress = nullptr;
    host_.NotePrinterState();

    const Json sale = SaleJson(key, result);
    journal_.Finish(key, Outcome(result.completed ? "concluida" : "abandonada", sale));
    host_.events().Publish(
        "venda", {{"idVenda", key}, {"estado", result.completed ? "concluida" : "abandonada"}, {"venda", sale}});
    return SaleReply(sale);
  };
}

Reply SaleDesk::Find(const std::string& key) const {
  const std::optional<SaleJournal::Entry> entry = journal_.Find(key);
  if (!entry) return ProblemReply(Problem{"venda_desconhecida", "Nenhuma venda com a chave " + key, "idVenda"});
  return JsonReply(200, KeyJson(*entry));
}

Reply SaleDesk::List() const {
  const std::string today = platform::FormatDateTime("yyyy-mm-dd", platform::Now());
  Json sales = Json::array();
  for (const SaleJournal::Entry& entry : journal_.All())
    if (entry.begun.rfind(today, 0) == 0) sales.push_back(KeyJson(entry));
  return JsonReply(200, {{"data", today}, {"vendas", sales}});
}

Work SaleDesk::Recover() {
  return [this]() -> Reply {
    if (!host_.printer_started()) Fail("dispositivo_ausente", "Impressora n\xE3o iniciada");
    // The till's start again: the printer's port opening cancels a coupon
    // left open, the tables are read again; then the card answers left are
    // settled by the ledger's rule.
    const PrinterState before = host_.ReadPrinterState(true);
    Observation seen;
    QdmVenda::StartResult started;
    host_.observer().Run(
        [&] {
          started = host_.Restart();
          return started.ok;
        },
        seen);
    QdmVenda::RecoveryResult recovered;
    host_.observer().Run(
        [&] {
          recovered = host_.till().Recover();
          return recovered.ok;
        },
        seen);
    const PrinterState after = host_.ReadPrinterState(host_.printer_started());
    host_.NotePrinterState();
    const Json reconciled = ReconcileKeys();

    const bool log_says_cancelled = seen.log.find("deixado aberto cancelado") != std::string::npos;
    Json cancelled = nullptr;
    if (before.coupon_open && after.coupon_open) cancelled = *before.coupon_open && !*after.coupon_open;
    if (log_says_cancelled) cancelled = true;
    Json steps = Json::array();
    for (const auto* list : {&started.steps, &recovered.steps})
      for (const QdmVenda::Step& step : *list) steps.push_back({{"passo", Utf8(step.what)}, {"ok", step.ok}});
    Json messages = Json::array();
    for (const auto* list : {&started.messages, &recovered.messages})
      for (const std::string& message : *list) messages.push_back(Utf8(message));
    Json body = {
        {"impressoraPronta", host_.printer_ready()},
        {"cupomAbertoCancelado", cancelled},
        {"cartoes", {{"deixados", recovered.left}, {"resolvidos", recovered.ok}}},
        {"vendasReconciliadas", reconciled},
        {"passos", steps},
        {"mensagens", messages},
        {"avisos", Notices(seen)},
    };
    if (!started.ok) body["falha"] = Utf8(started.failure);
    return JsonReply(200, body);
  };
}

}  // namespace qdm_service
