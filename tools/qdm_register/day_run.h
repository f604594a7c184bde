// A whole day at the register on the emulated Bematech printer: the day
// opened with a cash supply, a sale paid by card and one paid in cash, a
// withdrawal, the till closing with the operator's questions, the Z
// reduction that closes the fiscal day, and the export of its figures
// shown as tables beside the printed tape. After the Z reduction the
// register's clock moves to the next morning, so the next run (a day or
// a single sale) opens the next fiscal day.
#pragma once
#include <string>

#include "tools/qdm_register/demo_sale.h"
#include "tools/qdm_register/register_session.h"

namespace qdm_register {

// The process exit status: 0 when every step went through.
int RunRegisterDay(RegisterSession& session, const SaleOptions& options);

}  // namespace qdm_register
