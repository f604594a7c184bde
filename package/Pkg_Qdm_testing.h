// Pkg_Qdm for tests, the library's and a front end's own: the public header
// plus the test controls, which the front end itself never needs: the manual
// clock (freeze the time, move it on) and the scripted dialog presenter
// (answers queued in advance, every dialog recorded). Both are exported from
// libPkg_Qdm.so, so a test links the library as a front end does. Nothing
// else of the library's test hooks is exported.
#pragma once

#include "package/Pkg_Qdm.h"
#include "platform/base/clock_testing.h"
#include "platform/dialogs/scripted.h"
