// The one clock of the library. Every reading of the time and every pause
// goes through it, so a test can freeze the time, move it forward, and run a
// 7-second time-out in milliseconds (the controls for that are in
// platform/base/clock_testing.h, outside the public header).
#pragma once

#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform {

// Days since 30 December 1899 00:00, fraction for the time of day (local time).
using TDateTime = double;

namespace clock {

// Current local date and time.
TDateTime Now();

// Pauses the calling thread. On the system clock it sleeps; on a manual
// clock it advances the manual time by the same amount at once (and yields
// the processor briefly so other threads and processes can run).
void Pause(int milliseconds);

}  // namespace clock
}  // namespace platform

PKG_QDM_PUBLIC_END
