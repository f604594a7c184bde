#include "tests/register/register_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace register_test {

namespace {

void Drain(int& fd, std::string& into) {
  if (fd < 0) return;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) {
      ::close(fd);
      fd = -1;
    }
    return;  // EAGAIN or the end
  }
}

}  // namespace

std::string RegisterBinary() { return (fs::read_symlink("/proc/self/exe").parent_path() / "qdm_register").string(); }

RegisterProcess::RegisterProcess(const std::vector<std::string>& args, bool close_output, const Environment& env) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
  testsupport::ChildSetup setup;
  setup.out = out[1];
  setup.err = err[1];
  setup.env = env;
  child_ = std::make_unique<testsupport::ChildProgram>(RegisterBinary(), args, setup);
  ::close(out[1]);
  ::close(err[1]);
  out_ = out[0];
  err_ = err[0];
  if (close_output) {
    ::close(out_);
    out_ = -1;
  }
  for (int fd : {out_, err_})
    if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

RegisterProcess::~RegisterProcess() {
  child_.reset();
  for (int fd : {out_, err_})
    if (fd >= 0) ::close(fd);
}

pid_t RegisterProcess::pid() const { return child_ ? child_->pid() : -1; }

void RegisterProcess::Signal(int signal_number) const {
  if (child_) child_->Signal(signal_number);
}

std::optional<Finished> RegisterProcess::Wait(int seconds) {
  if (!child_) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (bool ended = false; !ended;) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (::poll(fds, 2, 20) <= 0 && out_ < 0 && err_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Drain(out_, finished_.out);
    Drain(err_, finished_.err);
    // Reaped without waiting for the pipes' end: a child it left running
    // would hold them open.
    ended = child_->Ended();
    if (ended) {
      Drain(out_, finished_.out);
      Drain(err_, finished_.err);
      finished_.exit_code = child_->exit_code();
      finished_.signal = child_->signal();
    } else if (std::chrono::steady_clock::now() > deadline) {
      return std::nullopt;
    }
  }
  return finished_;
}

Finished RunRegister(const std::vector<std::string>& args, int seconds, const Environment& env) {
  RegisterProcess process(args, false, env);
  auto finished = process.Wait(seconds);
  if (!finished) {
    Finished none;
    none.err = "qdm_register did not end within " + std::to_string(seconds) + " s";
    return none;
  }
  return *finished;
}

void Home::ControlManager(const std::string& lines) const {
  fs::create_directories(TefRoot());
  std::ofstream(TefRoot() / "manager.ctl") << lines;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ManagerServes(const fs::path& root) { return ManagerPid(root) != 0; }

std::string JournalSummary(const fs::path& root) {
  const std::string manager = (fs::path(RegisterBinary()).parent_path() / "tef_manager").string();
  std::string command = "'" + manager + "' --root '" + root.string() + "' --print-journal";
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

pid_t ManagerPid(const fs::path& root) {
  // Looked up among the processes rather than by its lock, which a look
  // could take from a manager just starting.
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string command = ReadFile(entry.path() / "cmdline");
    if (command.find("tef_manager") == std::string::npos) continue;
    std::replace(command.begin(), command.end(), '\0', ' ');
    if (command.find(" --root " + root.string()) == std::string::npos) continue;
    // A zombie has ended; only its parent has not looked yet.
    const std::string stat = ReadFile(entry.path() / "stat");
    const auto state = stat.rfind(')');
    if (state != std::string::npos && state + 2 < stat.size() && stat[state + 2] == 'Z') continue;
    return static_cast<pid_t>(std::stol(pid));
  }
  return 0;
}

bool Eventually(int seconds, const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace register_test
