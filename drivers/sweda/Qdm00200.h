// Module Qdm00200: the Sweda driver. Its ready flag is the one the facade
// reads and writes.
#pragma once

namespace Qdm00200 {

extern bool boImpFiscalOK;

}  // namespace Qdm00200
