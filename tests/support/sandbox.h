// Test support: a sandbox that gives each test a fresh host directory, a
// frozen library clock and scripted dialogs, and points an emulated device
// into it.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/clock.h"
#include "package/Pkg_Qdm_testing.h"  // the scripted presenter, the manual clock
#include "platform/os/files.h"
#include "platform/text/datetime.h"
#include "support/emulator_library.h"
#include "support/temp_dir.h"

namespace testsupport {

// The messages of debug-log text, one per line, without their date and time.
inline std::vector<std::string> LogMessages(const std::string& log) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    const std::size_t dash = line.find(" - ");
    lines.push_back(dash == std::string::npos ? line : line.substr(dash + 3));
    start = end + 2;
  }
  return lines;
}

// Runs a test inside `path`: a maker's library writes its report files in
// the current directory, and tests running side by side must never share
// them. The former working directory comes back at the end.
class InDirectory {
 public:
  explicit InDirectory(const std::string& path) : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~InDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(before_, ignored);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path before_;
};

// What most tests want: the host executable "lives" in a fresh directory
// (so impdebug.txt and ecf*.cds land there), the library clock is frozen at
// a known moment, every dialog is scripted, drive c: maps into the sandbox,
// the emulated devices lock their ports in a directory of this process's
// own, and an emulated printer keeps its state and tape there too.
class Sandbox {
 public:
  explicit Sandbox(platform::TDateTime now = platform::EncodeDate(2026, 12, 10) + platform::EncodeTime(14, 0, 0, 0))
      : dialogs(std::make_shared<platform::ScriptedPresenter>()) {
    PrivatePortLocks();
    platform::SetHostExecutable(dir.file("pdv"));
    platform::clock::SetManual(now);
    platform::SetDialogPresenter(dialogs);
    platform::MapDrive('c', dir.file("drive_c"));
  }
  ~Sandbox() {
    platform::SetDialogPresenter(nullptr);
    platform::clock::UseSystem();
    platform::SetHostExecutable("");
    platform::UnmapDrive('c');
  }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // Text of the debug log written so far ("" when none).
  std::string DebugLog() const {
    std::string path = dir.file("impdebug.txt");
    return platform::FileExists(path) ? platform::ReadFileBytes(path) : std::string();
  }
  // Points the emulator's memory and tape into the sandbox and resets it,
  // with its clock and fiscal day set to the library clock's moment.
  void ResetPrinter(EmulatorLibrary& printer, const std::string& state_name = "mp20fi.state",
                    const std::string& tape_name = "tape.txt") const {
    printer.SetStateFile(dir.file(state_name).c_str());
    printer.SetTapeFile(dir.file(tape_name).c_str());
    printer.Reset();
    int y, m, d, h, n, s, ms;
    platform::TDateTime now = platform::clock::Now();
    platform::DecodeDate(now, y, m, d);
    platform::DecodeTime(now, h, n, s, ms);
    printer.SetClock(y, m, d, h, n, s);
    printer.SetFiscalDay(y, m, d);
  }

  TempDir dir;
  std::shared_ptr<platform::ScriptedPresenter> dialogs;
};

}  // namespace testsupport
