// The emulated TEF manager started as a separate process, as on a register.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_program.h"

namespace tef_test {

// tef_manager beside this test executable.
std::string manager_binary();

class ManagerProcess {
 public:
  // Starts `tef_manager --root <root> <args...>`; its stderr goes to
  // <root>.log.
  ManagerProcess(const std::filesystem::path& root, const std::vector<std::string>& args = {});
  ManagerProcess(const ManagerProcess&) = delete;
  ManagerProcess& operator=(const ManagerProcess&) = delete;

  pid_t pid() const { return child_.pid(); }
  // Exit code once the process ends within a few seconds; nullopt when it
  // does not end or ends by a signal.
  std::optional<int> wait_exit();
  std::optional<int> stop(int signal_number);

 private:
  int log_ = -1;  // the parent's copy of <root>.log, closed once started
  testsupport::ChildProgram child_;
};

// Runs tef_manager to completion and returns its standard output.
std::string run_manager(const std::vector<std::string>& args, int* exit_code = nullptr);

}  // namespace tef_test
