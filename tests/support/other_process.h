// Test support: a second process forked from the test, as another program
// on the same machine would be (a second register, a second driver). It
// runs the steps it is given, one at a time when asked, each answering an
// int; it holds whatever its steps took until it is killed (as a crash
// would end it), ended, or destroyed.
#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

class OtherProcess {
 public:
  explicit OtherProcess(std::vector<std::function<int()>> steps) {
    if (pipe(ask_) != 0 || pipe(answer_) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) Serve(steps);
  }
  ~OtherProcess() {
    Kill();
    for (int fd : {ask_[0], ask_[1], answer_[0], answer_[1]}) close(fd);
  }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;

  // Runs step `index` (below kEnd) in the other process; its answer.
  int Run(unsigned char index) {
    int result = -1;
    if (write(ask_[1], &index, 1) != 1 || read(answer_[0], &result, sizeof result) != sizeof result)
      throw std::runtime_error("the other process is gone");
    return result;
  }
  // Ends it at once, as a crash or a kill would; its number then names no
  // process.
  void Kill() {
    if (collected_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    collected_ = true;
  }
  // Lets it end of its own accord and waits for that without collecting
  // it: a program that ended and that its parent has not yet noticed.
  void EndUncollected() {
    if (collected_ || write(ask_[1], &kEnd, 1) != 1) return;
    siginfo_t info;
    waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
  }
  // Its process number, as another program would see it.
  std::string id() const { return std::to_string(pid_); }

 private:
  static constexpr unsigned char kEnd = 0xFF;  // asks the other process to end

  // The child: never returns, never runs the test program's exit handlers.
  [[noreturn]] void Serve(const std::vector<std::function<int()>>& steps) {
    unsigned char index = 0;
    while (read(ask_[0], &index, 1) == 1 && index != kEnd) {
      int result = index < steps.size() ? steps[index]() : -1;
      if (write(answer_[1], &result, sizeof result) != sizeof result) break;
    }
    _exit(0);
  }

  int ask_[2] = {-1, -1};
  int answer_[2] = {-1, -1};
  pid_t pid_ = 0;
  bool collected_ = false;
};

}  // namespace testsupport
