// A sale checked before it reaches the printer: what does not hold together
// is refused with its reason, and no card is asked for a sale that cannot
// close.
#pragma once
#include <string>
#include <vector>

#include "sale/QdmVenda.h"
#include "sale/families.h"

namespace QdmVenda::detail {

// The sale's figures, to the cent.
struct Totals {
  double subtotal = 0;  // the items
  double total = 0;     // less the coupon's discount
  double paid = 0;      // every payment
};
Totals TotalsOf(const Sale& sale);

// Why the sale cannot be run on this printer family, in Portuguese
// (Windows-1252); "" when it holds together.
std::string SaleProblem(const Sale& sale, const std::vector<PaymentType>& types, const PrinterFamily& family,
                        const Totals& totals);

}  // namespace QdmVenda::detail
