// Module Qdm00600: the customer display, a character display on a serial
// port facing the customer. The front end lays the text out; this module
// folds accented letters to plain ones and sends the bytes.
#pragma once
#include <string>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00600 {

// ---- Exported globals --------------------------------------------------
// 0 no display; 1 16 columns; 2 20 columns; any other a display whose
// width the front end keeps in TAM_DISPLAY itself.
extern int IdTipoDisp;
extern int TAM_DISPLAY;  // set by DisplayOK for types 1 and 2

// A display is configured; sets TAM_DISPLAY for types 1 and 2.
bool DisplayOK();
// Sends the text to the display on the port at the data module's
// IdPortaDisp (9600 8N1), accented letters folded; the port is opened and
// closed on every call. True when the port was set up and every byte went.
bool DisplayChar(const std::string& texto);

}  // namespace Qdm00600

PKG_QDM_PUBLIC_END
