// What the library's own tests reach of the card-payment module besides its
// public header (not exported from the shared library).
#pragma once

namespace Qdm00500 {

// Puts the module's globals back as they are when the library is loaded:
// no root, no voucher stores bound, counters 0, the default time-out. Run
// when the library is unloaded.
void ClearGlobals();

}  // namespace Qdm00500
