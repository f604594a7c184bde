// The demo register's sale on an emulated Sweda printer (type codes 3 to
// 6): configuration, start-up with the payment types reconciled in
// "tiporece.cds", items, a card payment and cash, the coupon closed, the
// card voucher printed and confirmed; then the log and the tape.
#pragma once
#include "tools/qdm_register/demo_sale.h"

namespace qdm_register {

// The maker names and type codes the register accepts for a sale:
// "sweda" is type 3; "3" to "6" name the Sweda models. Answers 0 for a
// name that is no Sweda printer.
int SwedaTypeCode(const std::string& name_or_code);

int RunSwedaSale(RegisterSession& session, const SaleOptions& options, int tipo);

}  // namespace qdm_register
