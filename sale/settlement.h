// The cards of an abandoned sale undone with the manager.
#pragma once
#include <vector>

#include "sale/QdmVenda.h"
#include "sale/families.h"

namespace QdmVenda::detail {

// Every approved card of the sale (a block of the voucher store, never
// confirmed) is undone with its manager (NCN): the decision is kept in the
// ledger before it is sent and the card's answer stays until the manager
// acknowledged it, so a power cut anywhere is finished at the next start.
// The operator is told of each ("Cancelada a Transa\xE7\xE3o"). Each card's
// state is set from what the manager acknowledged.
void UndoCards(std::vector<CardResult>& cards, const StepFn& step);

}  // namespace QdmVenda::detail
