// The printer's fiscal memory kept in a state file of the emulators'
// record format (emulators/common/records.h), format line "MP20FI-STATE|1":
// written whole and renamed over, so a crash never leaves half a file; a
// file that does not read back whole is refused, never half taken.
#pragma once
#include <optional>
#include <string>

#include "emulators/bematech/printer_state.h"

namespace mp20emu {

std::string SerializeState(const FiscalState& state);
// Nothing when the text is not a complete state.
std::optional<FiscalState> ParseState(const std::string& text);
}  // namespace mp20emu
