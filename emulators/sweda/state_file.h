// The printer's fiscal memory kept in a state file of the emulators'
// record format ("SERSWEDA-STATE|1"), written whole and renamed in; a file
// that does not read back whole is refused, never half taken.
#pragma once
#include <optional>
#include <string>

#include "emulators/sweda/printer_state.h"

namespace swdemu {

std::string SerializeState(const PrinterState& state);
std::optional<PrinterState> ParseState(const std::string& text);
}  // namespace swdemu
