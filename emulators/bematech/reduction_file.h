// The reduction report "mp20fi.ret" that command "69" writes: the figures
// of the last Z reduction in fixed columns under fixed section headers.
#pragma once
#include <string>

#include "emulators/bematech/printer_state.h"

namespace mp20emu {

std::string ReductionReport(const FiscalState& state, const DayTotals& totals, const Reduction& reduction);

}  // namespace mp20emu
