// The printer's fiscal memory kept in a text file: one record per line,
// "key|field|field...", with '%', '|' and control bytes written as %XX.
// Written beside and renamed over, so a crash never leaves half a file; a
// file that does not read back whole is refused, never half taken.
#pragma once
#include <optional>
#include <string>

#include "emulators/sweda/printer_state.h"

namespace swdemu {

std::string SerializeState(const PrinterState& state);
std::optional<PrinterState> ParseState(const std::string& text);

bool SaveStateFile(const PrinterState& state, const std::string& path);
enum class LoadResult { Loaded, Missing, Unreadable };
LoadResult LoadStateFile(const std::string& path, PrinterState& state);

}  // namespace swdemu
