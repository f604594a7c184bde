// One handler per IntPos command. A handler updates the journal and says
// what answer file, if any, follows the acknowledgement.
//
//   ATV  is the manager active: acknowledgement only.
//   CRT  card sale: 003-000 amount in cents (required), optional 002-000
//        document, 004-000 currency, 010-000 network, 011-000 type ("10"
//        credit, anything else debit). Answered; approved sales are
//        PENDENTE until confirmed.
//   CNF  confirm, NCN undo: the transaction named by 010-000 + 012-000, or
//        by 027-000. Acknowledgement only; the journal says what happened.
//   CNC  cancel the sale named by 010-000 + 012-000 (003-000, when given,
//        must be its amount). Answered; the cancellation is itself a
//        transaction, PENDENTE until confirmed.
//   Any other command is acknowledged and journaled, never answered: an
//   answer file without a network would stay in "resp" for good.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "emulators/tef/journal.h"
#include "emulators/tef/record.h"
#include "emulators/tef/settings.h"

namespace tef_emu {

struct Context {
  Journal& journal;
  const Settings& settings;
  std::string default_network;
  // A confirmation or undo refused (the transaction already ended the
  // other way): the reason, told in the acknowledgement.
  std::string refusal = {};
};

using Answer = std::map<std::string, std::string>;  // field code -> value

std::optional<Answer> serve_request(const Record& request, Context& context);

// Why the manager undoes a pending transaction by itself; nullopt leaves it
// pending.
using AbandonReason = std::function<std::optional<std::string>(const Transaction&)>;

// The managers' rule for an approval its client never settled: a pending
// transaction is undone by the manager itself, and journaled so
// ("desfeita pelo gerenciador: <reason>"), when the client starts another
// transaction, and at the manager's start when `reason` gives one (an
// answer that never reached the client). Returns how many.
int undo_abandoned_at_start(Context& context, const AbandonReason& reason);

}  // namespace tef_emu
