// Test support: a program the test starts as a child process (the register,
// the TEF manager, the device service), its standard streams and
// environment set as the test asks, its end awaited within a bound, and
// killed and reaped at the end whatever the test did. With its own process
// group, a kill takes whatever it started too (its manager), as a power cut
// would.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct ChildSetup {
  // A stream is the descriptor given (the test keeps and closes its own
  // copy), kInherit or kNull.
  static constexpr int kInherit = -1;
  static constexpr int kNull = -2;
  int in = kNull;
  int out = kInherit;
  int err = kInherit;
  // Variables set in the child's environment; an empty value unsets.
  std::vector<std::pair<std::string, std::string>> env;
  bool own_group = false;
};

class ChildProgram {
 public:
  ChildProgram(const std::string& binary, const std::vector<std::string>& args, const ChildSetup& setup = {})
      : group_(setup.own_group) {
    pid_ = fork();
    if (pid_ == 0) Exec(binary, args, setup);
    if (pid_ > 0 && group_) setpgid(pid_, pid_);
  }
  ~ChildProgram() { Kill(); }
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  pid_t pid() const { return pid_; }
  bool started() const { return pid_ > 0; }
  void Signal(int signal_number) const {
    if (pid_ > 0 && !reaped_) kill(pid_, signal_number);
  }
  // True once it has ended (reaped then, without waiting).
  bool Ended() {
    if (pid_ <= 0 || reaped_) return true;
    if (waitpid(pid_, &status_, WNOHANG) != pid_) return false;
    Reaped();
    return true;
  }
  // Waits for the end, at most `bound`; true when it ended.
  bool WaitFor(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!Ended()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }
  // Ends it at once (its group too), as a crash or a power cut would.
  void Kill() {
    if (pid_ <= 0 || reaped_) return;
    kill(group_ ? -pid_ : pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    Reaped();
  }

  // Once ended: its exit code (-1 when a signal ended it) and that signal.
  int exit_code() const { return reaped_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
  int signal() const { return reaped_ && WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }

 private:
  void Reaped() {
    reaped_ = true;
    // Whatever of the group outlived it (its manager) goes too.
    if (group_) kill(-pid_, SIGKILL);
  }

  // The child: never returns, never runs the test program's exit handlers.
  [[noreturn]] static void Exec(const std::string& binary, const std::vector<std::string>& args,
                                const ChildSetup& setup) {
    if (setup.own_group) setpgid(0, 0);
    const int streams[3] = {setup.in, setup.out, setup.err};
    for (int target = 0; target < 3; ++target) {
      int fd = streams[target];
      if (fd == ChildSetup::kNull) fd = open("/dev/null", target == 0 ? O_RDONLY : O_WRONLY);
      if (fd >= 0 && fd != target) dup2(fd, target);
    }
    for (const auto& [name, value] : setup.env) {
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
    }
    // A closed pipe must end the program by SIGPIPE, as at a shell.
    ::signal(SIGPIPE, SIG_DFL);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }

  pid_t pid_ = -1;
  bool group_ = false;
  bool reaped_ = false;
  int status_ = 0;
};

}  // namespace testsupport
