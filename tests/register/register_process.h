// The register program as a process: started with arguments on a home of
// its own, its output gathered, its end awaited (bounded).
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child_program.h"
#include "tests/support/temp_dir.h"

namespace register_test {

namespace fs = std::filesystem;

// qdm_register beside this test executable.
std::string RegisterBinary();

struct Finished {
  int exit_code = -1;  // -1 when it ended by a signal
  int signal = 0;      // the signal that ended it
  std::string out;     // standard output
  std::string err;     // standard error
};

// Variables set in the register's environment (an empty value unsets).
using Environment = std::vector<std::pair<std::string, std::string>>;

class RegisterProcess {
 public:
  // Starts qdm_register with the arguments; stdin is /dev/null. With
  // `close_output` its standard output is a pipe already closed at the
  // reading end.
  explicit RegisterProcess(const std::vector<std::string>& args, bool close_output = false,
                           const Environment& env = {});
  ~RegisterProcess();
  RegisterProcess(const RegisterProcess&) = delete;
  RegisterProcess& operator=(const RegisterProcess&) = delete;

  pid_t pid() const;
  void Signal(int signal_number) const;
  // Waits (at most `seconds`) for the end, reading its output meanwhile.
  std::optional<Finished> Wait(int seconds = 60);

 private:
  std::unique_ptr<testsupport::ChildProgram> child_;
  int out_ = -1;
  int err_ = -1;
  Finished finished_;
};

// Runs to the end (bounded).
Finished RunRegister(const std::vector<std::string>& args, int seconds = 60, const Environment& env = {});

// A fresh register home under the temporary directory, removed after.
class Home {
 public:
  const fs::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // The TEF manager's root of this home ("c:\tef_dial\").
  fs::path TefRoot() const { return path_ / "drive_c" / "tef_dial"; }
  // Settings the register's TEF manager reads for each request.
  void ControlManager(const std::string& lines) const;

 private:
  testsupport::TempDir dir_{"qdm_register_test"};
  fs::path path_ = dir_.path();
};

std::string ReadFile(const fs::path& path);

// True while a TEF manager serving the root is running.
bool ManagerServes(const fs::path& root);
// The process id of the TEF manager serving the root, 0 when none.
pid_t ManagerPid(const fs::path& root);
// The manager's account of its transactions (tef_manager --print-journal).
std::string JournalSummary(const fs::path& root);
// Polls every 20 ms for up to `seconds` until the condition holds.
bool Eventually(int seconds, const std::function<bool()>& condition);

}  // namespace register_test
