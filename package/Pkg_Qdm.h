// Pkg_Qdm: the device layer of the point of sale. A front end includes this
// one header and links libPkg_Qdm.so. Each module keeps its exported
// functions and globals in a namespace named after it.
//
// ---- Start-up: what the host does once, on its user-interface thread ----
//   1. platform::Application().SetMainThread();
//      The library runs on the thread that calls it (the "main thread");
//      other threads (a reader thread, a timer of the host) hand work to it
//      with Application().Queue or Synchronize. Without this call the first
//      thread that touches Application() becomes the main thread.
//   2. platform::SetDialogPresenter(presenter);
//      Where the operator's questions go. The default is the unattended
//      presenter (no one answers: OK, No, Close, and a log line), so a
//      service or a batch never blocks. A person at a terminal:
//      std::make_shared<platform::TerminalPresenter>(); a front end with
//      windows installs its own platform::DialogPresenter.
//   3. platform::Application().SetProcessMessagesHook(pump);   (optional)
//      Device waits process messages between polls; a front end with an
//      event loop of its own pumps it from this hook so its window stays
//      alive during a wait.
//   4. platform::Application().OnException = handler;           (optional)
//      What a queued call, a timer or the hook raises while a wait
//      processes messages goes here (default: one line on standard error),
//      never into the device command that was waiting.
//   5. Qdm00000::CarregaECF(caixa), Qdm00000::StartImpFiscal(tipo, porta),
//      Qdm00000::SetImpFiscalOK(true) where the printer needs it,
//      Qdm00000::IniciaImpressora(...); Qdm00500::CheckIntPosFiles() for
//      card payments. At the end, Qdm00000::StopImpFiscal().
//
// ---- Results and errors ----------------------------------------------------
// Operations answer true when done and false when the printer refused (the
// refusal is shown to the operator when the call asks for it) or when the
// printer type in use does not serve the operation (then nothing is sent).
// Errors inside an operation (a malformed printer answer, a dataset without
// the fields it needs, a file that cannot be written) raise
// platform::Exception or one of its kinds (platform/base/errors.h), unless
// the function's comment says it answers false instead. CarregaECF,
// IniciaImpressora and StopImpFiscal never raise; each module's header says
// which of its calls do.
//
// ---- Version ---------------------------------------------------------------
// PKG_QDM_VERSION ("major.minor.patch") and its parts are the version this
// front end is built against; Pkg_Qdm_Version() the one loaded.
//
// A front end's own tests include package/Pkg_Qdm_testing.h instead (the
// manual clock, the scripted dialogs); the front end itself never needs it.
#pragma once

#include "package/Pkg_Qdm_version.h"

// Services the modules stand on, which the front end uses too (datasets,
// string lists, dialogs, the clock, the message loop).
#include "utility/utility.h"
#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/dataset/dataset.h"
#include "platform/text/datetime.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/errors.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "platform/dataset/stringlist.h"

// Fiscal-printer facade (Qdm00000) and its data module.
#include "facade/Qdm00000.h"
#include "data_module/dtmCupomFiscal.h"

// Fiscal-printer drivers.
#include "drivers/bematech/Qdm00100.h"  // Qdm00100: Bematech, type codes 1, 2, 9
#include "drivers/sweda/Qdm00200.h"     // Qdm00200: Sweda, type codes 3 to 6
#include "drivers/daruma/Qdm00300.h"    // Qdm00300: Daruma, type codes 7 and 8

// Card payments (Qdm00500) and the card-network form.
#include "tef/Qdm00500.h"
#include "tef/TfrmCartaoDebito.h"

// A whole sale as one call (QdmVenda): items, card, closing, voucher,
// confirmation or undo, and the recovery at start.
#include "sale/QdmVenda.h"

// The other devices at the till.
#include "peripherals/keyboard/Qdm00400.h"       // Qdm00400: POS keyboard
#include "peripherals/display/Qdm00600.h"        // Qdm00600: customer display
#include "peripherals/check_printer/Qdm00700.h"  // Qdm00700: check printer
#include "peripherals/readers/Qdm00800.h"        // Qdm00800: readers, badge check digit
