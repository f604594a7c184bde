// Printed forms of the 48-column tape, in Windows-1252.
#pragma once
#include <string>

#include "emulators/bematech/shared.h"
#include "emulators/bematech/printer_state.h"

namespace mp20emu {

inline constexpr std::size_t kColumns = 48;

std::string Center(const std::string& text);
// Left text and right text on one line, the left cut when they do not fit.
std::string Columns(const std::string& left, const std::string& right);
std::string Rule();
// Text as sent, broken into lines of at most 48 columns.
std::string Wrapped(const std::string& text);

// Shop heading, date, time and COO, then the document title.
std::string DocumentHeader(const FiscalState& state, const DateTime& now, int coo, const std::string& title);
// The maker's trailer: model, printer number, serial.
std::string FiscalTrailer(const FiscalState& state, const DateTime& now);
// "01T18,00%", "F", "I", "N".
std::string RateLabel(const FiscalState& state, const std::string& tax);
std::string ItemLines(const FiscalState& state, int number, const Item& item);
// Body of the X reading and the Z reduction.
std::string DayReport(const FiscalState& state, const DayTotals& totals);

}  // namespace mp20emu
