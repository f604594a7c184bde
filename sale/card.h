// The front end's side of a card payment: the sale request it writes to the
// TEF manager and the approved answer it keeps in the voucher store
// (Qdm00500::stlCuponsTEF) for printing and confirmation after the coupon.
#pragma once
#include <string>

#include "sale/QdmVenda.h"

namespace QdmVenda::detail {

// Chooses the network, probes the manager, writes a card sale request for
// `amount` (credit when `credit`) and waits, bounded, for its answer. An
// approved answer is archived and added as a block to the voucher store.
// A manager that ends during the wait (Setup::manager_alive) is noticed at
// once and told to the operator.
CardResult RequestCard(const std::string& type, double amount, bool credit);

// True while an answer of the request `identifier` lies in its network's
// answer directory: its settlement is still owed to the manager.
bool AnswerKept(const std::string& network, const std::string& identifier);

// The card answers left in the answer directories of both roots.
int AnswersLeft();

}  // namespace QdmVenda::detail
