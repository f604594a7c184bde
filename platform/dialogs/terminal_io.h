// Line input and whole writes on the terminal presenter's descriptors.
#pragma once
#include <string>

namespace platform::dialogs_detail {

// One line without its end (LF, CR LF). False at end of input or on a read
// error with nothing read.
bool ReadLine(int fd, std::string& line);
// Writes every byte; a closed reader neither raises SIGPIPE nor blocks the
// dialog, the text is simply lost.
void WriteAll(int fd, const std::string& bytes);

}  // namespace platform::dialogs_detail
