// Shared by the operating-system files: the text of an errno value and the
// EInOutError raised for a file that cannot be used.
#pragma once
#include <string>

namespace platform::os {

// In Portuguese (Windows-1252) for the errors a register meets; the
// system's own text, with its number, for the rest.
std::string ErrnoText(int error);
// Raises EInOutError "N\xE3o foi poss\xEDvel <what> <path>: <errno text>",
// `what` a verb ("abrir", "gravar").
[[noreturn]] void RaiseInOut(const std::string& what, const std::string& path, int error);

}  // namespace platform::os
