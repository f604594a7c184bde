// The emulated TEF manager started as a separate process, as on a register.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tef_test {

// tef_manager beside this test executable.
std::string manager_binary();

class ManagerProcess {
 public:
  // Starts `tef_manager --root <root> <args...>`; its stderr goes to
  // <root>.log.
  ManagerProcess(const std::filesystem::path& root, const std::vector<std::string>& args = {});
  ~ManagerProcess();
  ManagerProcess(const ManagerProcess&) = delete;
  ManagerProcess& operator=(const ManagerProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Exit code once the process ends within a few seconds; nullopt when it
  // does not end or ends by a signal.
  std::optional<int> wait_exit();
  std::optional<int> stop(int signal_number);

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
};

// Runs tef_manager to completion and returns its standard output.
std::string run_manager(const std::vector<std::string>& args, int* exit_code = nullptr);

}  // namespace tef_test
