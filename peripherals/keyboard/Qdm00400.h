// Module Qdm00400: the programmable POS keyboard (with its small display
// and magnetic card reader). The module loads the maker library of the
// model the facade's IdTipoTecl names (1 "Tec44Win.dll", 3 "Tec65_32.dll"),
// binds its functions into the globals below and switches the keyboard on;
// the front end then calls the keyboard through those globals, casting each
// to the signature of its keyboard's library.
#pragma once
#include "platform/os/dynlib.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00400 {

// An entry point of the keyboard library; null when not bound.
using TTeclEntry = platform::FARPROC;

// ---- Exported globals --------------------------------------------------
extern bool TecladoOK;
extern platform::HMODULE TecladoDLLHandle;

// Tec44 only.
extern TTeclEntry TeclRxKbd, TeclProgSpecialChar, TeclGetMCRBufnc, TeclDispClrLn1, TeclDispClrLn2, TeclGetMCRMsg44,
    CloseTec44, OpenTec44, TeclTxKbd44, TeclNumLock, TeclCapsLock;
// Tec65 only.
extern TTeclEntry TeclSetCapsL65, TeclSetNumL65, TeclGetMCRMsg65, CloseTec65, OpenTec65, TeclTxKbd65;
// Both models.
extern TTeclEntry TeclEnableKbd, TeclDisableKbd, TeclBackSpace, TeclBeepKeyOn, TeclBeepOn, TeclCarRet, TeclDispStr,
    TeclDispCh, TeclGetMCRBuf, TeclGoToXY, TeclLineFeed, TeclFormFeed, TeclReadOpKey, TeclReset, TeclSetCard,
    TeclSetDisp, TeclSetEcho, TeclSetOpKey, TeclSetPIN;

// Loads, binds (all names or none) and switches on the keyboard: "EnableKbd",
// the model's open function, "FormFeed". Sets TecladoOK.
void StartTeclado();
// Clears every entry point and unloads the library; harmless when stopped.
void StopTeclado();

}  // namespace Qdm00400

PKG_QDM_PUBLIC_END
