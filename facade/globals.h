// What the library's own tests reach of the facade besides its public
// header (not exported from the shared library).
#pragma once

namespace Qdm00000 {

// Puts the facade's globals back as they are when the library is loaded
// (texts empty, codes 0, the ready flag false); the data module is kept.
// Run when the library is unloaded.
void ClearGlobals();

}  // namespace Qdm00000
