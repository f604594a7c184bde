// Shared by the operating-system files: the text of an errno value and the
// EInOutError raised for a file that cannot be used.
#pragma once
#include <string>

namespace platform::os {

std::string ErrnoText(int error);
// Raises EInOutError "<what> <path>: <errno text>".
[[noreturn]] void RaiseInOut(const std::string& what, const std::string& path, int error);

}  // namespace platform::os
