#include "tools/qdm_register/card_payment.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "platform/os/application.h"
#include "platform/base/clock.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"

namespace qdm_register {

namespace {

// Managers running, for the signal handler: it may only read plain values.
constexpr int kManagerSlots = 4;
volatile sig_atomic_t g_managers[kManagerSlots] = {};

void Remember(pid_t pid) {
  for (auto& slot : g_managers)
    if (slot == 0) {
      slot = pid;
      return;
    }
}

void Forget(pid_t pid) {
  for (auto& slot : g_managers)
    if (slot == pid) slot = 0;
}

void OnEndingSignal(int signal_number) {
  for (auto& slot : g_managers)
    if (slot > 0) kill(static_cast<pid_t>(slot), SIGTERM);
  // The register then ends as the signal asks.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

bool WaitForExit(pid_t pid, int milliseconds) {
  for (int waited = 0; waited <= milliseconds; waited += 10) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    usleep(10000);
  }
  return false;
}

}  // namespace

TefManager::TefManager(const std::string& program, const std::string& root, const std::vector<std::string>& options)
    : root_(root) {
  std::vector<std::string> args = {program, "--root", root};
  args.insert(args.end(), options.begin(), options.end());
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("cannot start the TEF manager");
  if (pid_ == 0) {
    // The manager ends with the register, even a register killed outright.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    std::perror(program.c_str());
    _exit(127);
  }
  Remember(pid_);
  // The manager creates its directories on start; give it a moment so the
  // first probe finds it serving.
  for (int i = 0; i < 200 && !platform::DirectoryExists(root + "/resp"); ++i) usleep(10000);
}

TefManager::~TefManager() { Stop(); }

void TefManager::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  if (!WaitForExit(pid_, 5000)) {
    kill(pid_, SIGKILL);
    WaitForExit(pid_, 5000);
  }
  Forget(pid_);
  pid_ = -1;
}

bool TefManager::Alive() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  Forget(pid_);
  pid_ = -1;
  return false;
}

void TefManager::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  WaitForExit(pid_, 5000);
  Forget(pid_);
  pid_ = -1;
}

void StopManagersOnSignals() {
  struct sigaction action {};
  action.sa_handler = OnEndingSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT, SIGPIPE}) sigaction(signal_number, &action, nullptr);
}

}  // namespace qdm_register
