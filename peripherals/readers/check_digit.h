// What the library's own tests reach of the check-digit part of the
// readers module besides its public header (not exported from the shared
// library).
#pragma once
#include <string>

namespace Qdm00800 {

// The module's text global emptied and the check-digit entry point
// forgotten, as when the library is loaded; run when it is unloaded (the
// check-digit library itself is the front end's to stop).
void ClearGlobals();

// The program directory handed to the library: the host executable's
// directory, without the trailing delimiter ("/opt/pdv"; the root stays "/").
std::string ProgramDirectory();

}  // namespace Qdm00800
