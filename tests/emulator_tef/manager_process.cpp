#include "tests/emulator_tef/manager_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tef_test {
namespace {

constexpr auto exit_bound = std::chrono::seconds(3);

[[noreturn]] void exec_manager(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  static std::string binary;
  binary = manager_binary();
  argv.push_back(binary.data());
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(binary.c_str(), argv.data());
  ::_exit(127);
}

}  // namespace

std::string manager_binary() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tef_manager").string();
}

ManagerProcess::ManagerProcess(const std::filesystem::path& root, const std::vector<std::string>& args) {
  std::vector<std::string> all{"--root", root.string()};
  all.insert(all.end(), args.begin(), args.end());
  const std::string log = root.string() + ".log";
  pid_ = ::fork();
  if (pid_ == 0) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd >= 0) ::dup2(fd, STDERR_FILENO);
    exec_manager(all);
  }
}

ManagerProcess::~ManagerProcess() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
}

std::optional<int> ManagerProcess::wait_exit() {
  const auto deadline = std::chrono::steady_clock::now() + exit_bound;
  while (!reaped_ && std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid_, &status_, WNOHANG) == pid_)
      reaped_ = true;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!reaped_ || !WIFEXITED(status_)) return std::nullopt;
  return WEXITSTATUS(status_);
}

std::optional<int> ManagerProcess::stop(int signal_number) {
  if (!reaped_) ::kill(pid_, signal_number);
  return wait_exit();
}

std::string run_manager(const std::vector<std::string>& args, int* exit_code) {
  int out[2];
  if (::pipe(out) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    exec_manager(args);
  }
  ::close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (exit_code) *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return text;
}

}  // namespace tef_test
