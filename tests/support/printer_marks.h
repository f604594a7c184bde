// Test support: what every printer test reads since its last mark, on any
// of the emulated printers: the frames the printer received, the debug
// log's messages and the operator's dialogs. A printer fixture derives
// from it, handing over its sandbox and its printer.
#pragma once
#include <string>
#include <vector>

#include "support/emulator_library.h"
#include "support/sandbox.h"

namespace testsupport {

class PrinterMarks {
 public:
  // Only references are kept: the fixture's members may be built after.
  PrinterMarks(const Sandbox& sandbox, EmulatorLibrary& printer) : marks_sandbox_(sandbox), marks_printer_(printer) {}

  // Forget the traffic, dialogs and log lines so far.
  void Mark() {
    marks_printer_.ClearFrames();
    marks_sandbox_.dialogs->Clear();
    log_mark_ = marks_sandbox_.DebugLog().size();
  }

  // Debug log messages since the mark, without their date and time.
  std::vector<std::string> LogLines() const { return LogMessages(marks_sandbox_.DebugLog().substr(log_mark_)); }
  bool Logged(const std::string& prefix) const {
    for (const std::string& line : LogLines())
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }

  std::vector<std::string> Frames() const { return marks_printer_.Frames(); }
  std::vector<std::string> Dialogs() const { return marks_sandbox_.dialogs->Texts(); }

 private:
  const Sandbox& marks_sandbox_;
  EmulatorLibrary& marks_printer_;
  std::size_t log_mark_ = 0;
};

}  // namespace testsupport
