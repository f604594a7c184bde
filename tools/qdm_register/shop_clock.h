// The register's clock. A register on the emulated printer may live days
// ahead of its host: after a Z reduction its clock moves to the next
// morning, so the closed fiscal day is followed by the next one, as in a
// shop, and never by a sale on a day already reduced. The offset is kept in
// the register's home and moves the library's clock and the emulated
// printers' clocks together, since the start-up refuses a printer whose
// clock is more than minutes off the register's.
#pragma once
#include <string>

namespace qdm_register {

// Name of the file in the register's home: the seconds the register runs
// ahead of its host, as decimal text.
inline constexpr const char* kShopClockName = "relogio.txt";

// Reads the home's offset (0 when there is none, or it is not a number)
// and applies it to the library's clock and, through their settings, to
// the emulated printers; before a printer library is loaded.
long long ApplyShopClock(const std::string& home);

// After a Z reduction: the register's clock moves to 08:00 of the day after
// its present day; kept in the home (written whole, never half) and
// applied to the library's clock now and to the emulated printers at their
// next loading. Answers the new day as "dd/mm/yyyy".
std::string MoveToNextMorning(const std::string& home);

}  // namespace qdm_register
