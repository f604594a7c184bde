// What the library's own tests reach of the display module besides its
// public header (not exported from the shared library).
#pragma once

namespace Qdm00600 {

// The byte the display receives for a Windows-1252 byte.
unsigned char FoldForDisplay(unsigned char byte);

}  // namespace Qdm00600
