// The emulator pieces every device shares (emulators/common), named here
// as the printer's own.
#pragma once
#include "emulators/common/clock.h"
#include "emulators/common/fields.h"
#include "emulators/common/tape.h"

namespace mp20emu {

using emu::AllDigits;
using emu::DateTime;
using emu::DayNumber;
using emu::DaySlashed;
using emu::DayText;
using emu::DigitField;
using emu::Digits;
using emu::FromDayNumber;
using emu::Money;
using emu::Percent;
using emu::Quantity;
using emu::SameName;
using emu::Tape;
using emu::Trim;
using emu::ValidDate;

}  // namespace mp20emu
