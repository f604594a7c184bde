// Pkg_Qdm: the device layer of the point of sale. A front end includes this
// one header and links libPkg_Qdm.so. Each module keeps its exported
// functions and globals in a namespace named after it.
#pragma once

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
#include "facade/dtmCupomFiscal.h"

// Fiscal-printer drivers.
#include "drivers/bematech/Qdm00100.h"  // Qdm00100: Bematech, type codes 1, 2, 9
#include "drivers/sweda/Qdm00200.h"     // Qdm00200: Sweda, type codes 3 to 6

// Card payments (Qdm00500) and the card-network form.
#include "tef/Qdm00500.h"
#include "tef/TfrmCartaoDebito.h"

// The other devices at the till.
#include "peripherals/keyboard/Qdm00400.h"       // Qdm00400: POS keyboard
#include "peripherals/display/Qdm00600.h"        // Qdm00600: customer display
#include "peripherals/check_printer/Qdm00700.h"  // Qdm00700: check printer
#include "peripherals/readers/Qdm00800.h"        // Qdm00800: readers, badge check digit
