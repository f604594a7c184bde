// Test controls of the library clock: a frozen ("manual") clock that only
// Pause and Advance move. Not part of the public header; tests reach it
// through package/Pkg_Qdm_testing.h. The functions are exported from the
// library, so a test links the library as a front end does.
#pragma once
#include "platform/base/clock.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace platform::clock {

// Freezes the clock at the given local time. Pause and Advance then move it;
// nothing else does.
void SetManual(TDateTime at);
void Advance(int milliseconds);
bool IsManual();
// Whether a pause on the manual clock still hands the processor on for a
// moment (the default, for a device's other side in a thread or process);
// a caller alone in its process (a fuzz target) turns it off.
void SetManualYield(bool yield);
// Back to the system clock.
void UseSystem();
// The system clock moved by an offset (0: none), for a bench register that
// lives days ahead of its host so that a closed fiscal day is followed by
// the next one. It runs and pauses as the system clock does.
void SetAhead(long long milliseconds);

}  // namespace platform::clock

PKG_QDM_PUBLIC_END
