// The cards of an abandoned sale undone with the manager.
#pragma once
#include <vector>

#include "sale/QdmVenda.h"
#include "sale/families.h"

namespace QdmVenda::detail {

// Every approved card of the sale held in the voucher store is cancelled
// through its manager (CancelaTEFs), the cancellation vouchers printed and
// confirmed; a card whose cancellation was refused, or whose cancellation
// voucher could not be printed, is undone (NCN). Each card's state is set
// from what the manager acknowledged.
void UndoCards(std::vector<CardResult>& cards, const PrinterFamily& family, const StepFn& step);

}  // namespace QdmVenda::detail
