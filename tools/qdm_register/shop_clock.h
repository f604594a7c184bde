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

// Before a Z reduction: the register's clock for the next runs moves to
// 08:00 of the day after its present day, kept in the home (written whole,
// never half), without moving this run's clocks, so a cut
// anywhere after the Z still ends the day (and a cut before it leaves a day
// past, whose Z the next start offers). Answers the new day as
// "dd/mm/yyyy" and, in `kept`, the offset it replaced.
std::string RecordNextMorning(const std::string& home, long long& kept);
// No Z came: the offset RecordNextMorning replaced is written back. After
// the Z, ApplyShopClock moves this run's clocks to what was recorded.
void KeepToday(const std::string& home, long long kept);

}  // namespace qdm_register
