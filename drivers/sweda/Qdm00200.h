// Module Qdm00200: the Sweda driver. Its ready flag is the one the facade
// reads and writes.
#pragma once

namespace Qdm00200 {

extern bool boImpFiscalOK;

// Puts the module's globals back as they are when the library is loaded.
// Run when the library is unloaded.
void ClearGlobals();

}  // namespace Qdm00200
