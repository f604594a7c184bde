#include "tests/emulator_tef/manager_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

namespace tef_test {
namespace {

// Generous: a loaded machine can take seconds to schedule its stop; a manager
// that ends at once costs nothing more.
constexpr auto exit_bound = std::chrono::seconds(10);

std::vector<std::string> with_root(const std::filesystem::path& root, const std::vector<std::string>& args) {
  std::vector<std::string> all{"--root", root.string()};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

// Its standard error appended to <root>.log.
testsupport::ChildSetup logged_to(const std::filesystem::path& root, int& log) {
  log = ::open((root.string() + ".log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  testsupport::ChildSetup setup;
  setup.in = testsupport::ChildSetup::kInherit;
  if (log >= 0) setup.err = log;
  return setup;
}

}  // namespace

std::string manager_binary() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tef_manager").string();
}

ManagerProcess::ManagerProcess(const std::filesystem::path& root, const std::vector<std::string>& args)
    : child_(manager_binary(), with_root(root, args), logged_to(root, log_)) {
  if (log_ >= 0) ::close(log_);
}

std::optional<int> ManagerProcess::wait_exit() {
  if (!child_.WaitFor(exit_bound) || child_.signal() != 0) return std::nullopt;
  return child_.exit_code();
}

std::optional<int> ManagerProcess::stop(int signal_number) {
  child_.Signal(signal_number);
  return wait_exit();
}

std::string run_manager(const std::vector<std::string>& args, int* exit_code) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return {};
  testsupport::ChildSetup setup;
  setup.in = testsupport::ChildSetup::kInherit;
  setup.out = out[1];
  setup.err = testsupport::ChildSetup::kNull;
  testsupport::ChildProgram manager(manager_binary(), args, setup);
  ::close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(out[0]);
  // Its output ends with it: the wait is for its status.
  manager.WaitFor(std::chrono::hours(1));
  if (exit_code) *exit_code = manager.exit_code();
  return text;
}

}  // namespace tef_test
