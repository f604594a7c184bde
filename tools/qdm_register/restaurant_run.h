// A day on the restaurant model of the emulated Bematech printer (type
// code 9), at a register of its own ("109") with a printer of its own:
// items registered against two tables, an item moved between them, a
// reversal, the open-tables report, the tables joined, the table check
// printed and closed, the table closed to a fiscal coupon paid in cash,
// then the same evening as the shop's day (till closing, Z reduction and
// its export, the register's clock to the next morning).
#pragma once

#include "tools/qdm_register/demo_sale.h"
#include "tools/qdm_register/register_session.h"

namespace qdm_register {

// The process exit status: 0 when every step went through.
int RunRestaurantDay(RegisterSession& session, const SaleOptions& options);

}  // namespace qdm_register
