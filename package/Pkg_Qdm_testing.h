// Pkg_Qdm for tests: the public header plus the test controls, which a
// front end never needs: the manual clock (freeze the time, move it on) and
// the scripted dialog presenter (answers queued in advance, every dialog
// recorded). Both are exported from libPkg_Qdm.so, so a test links the
// library as a front end does.
#pragma once

#include "package/Pkg_Qdm.h"
#include "platform/base/clock_testing.h"
#include "platform/dialogs/scripted.h"
