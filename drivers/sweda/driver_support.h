// Helpers shared by the files of the Sweda driver: the operator's messages,
// the debug log, fixed-width digit fields and table reads.
#pragma once
#include <optional>
#include <string>

namespace Qdm00200::detail {

std::string CatalogueText(const std::string& key);
void Log(const std::string& line);
// Modal dialogs with an OK button.
void ShowError(const std::string& text);
void ShowInformation(const std::string& text);

// False (and a log line) when a library entry point is missing.
bool ReportUnbound(const char* name);
template <typename Fn>
bool EntryPointBound(Fn* entry, const char* name) {
  return entry != nullptr || ReportUnbound(name);
}

// shared candidate: a fixed-width digit field, the value formatted with
// `pattern` and the decimal separator at `separator_at` (1-based, 0: none)
// removed. Nothing when the value does not fit (negative, too wide, not a
// number): the printer never receives a field with a digit lost.
struct DigitFormat {
  const char* name;
  const char* pattern;
  int separator_at;
};
std::optional<std::string> DigitsOf(const DigitFormat& format, double value);

// shared candidate: the report of a value the printer's field cannot hold:
// "ERRO!!! " line in the log and the operator told.
void ReportMisfit(const std::string& field, const std::string& value);

// The answer to a table read ("29" with a selector), or nothing when the
// printer refused it.
std::optional<std::string> ReadTable(char selector);

// The payment-method entry width of the current model.
int MethodWidth();

}  // namespace Qdm00200::detail
