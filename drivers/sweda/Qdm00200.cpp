#include "drivers/sweda/Qdm00200.h"

#include "drivers/common/module_globals.h"

namespace Qdm00200 {

bool boImpFiscalOK = false;

namespace {

// Clears the globals above when the library is unloaded.
const drivers::ClearAtUnload cleared_at_unload{ClearGlobals};

}  // namespace

void ClearGlobals() { boImpFiscalOK = false; }

}  // namespace Qdm00200
