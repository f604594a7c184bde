#include "platform/dialogs/terminal_io.h"

#include <cerrno>
#include <csignal>
#include <ctime>

#include <pthread.h>
#include <unistd.h>

namespace platform::dialogs_detail {

bool ReadLine(int fd, std::string& line) {
  line.clear();
  bool got_any = false;
  for (;;) {
    char c = 0;
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return got_any;
    got_any = true;
    if (c == '\n') break;
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

namespace {

bool SigpipePending() {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  return sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

void WriteAll(int fd, const std::string& bytes) {
  // SIGPIPE held back while writing, so a gone terminal or reader cannot
  // end the front end's process.
  sigset_t block;
  sigset_t previous;
  sigemptyset(&block);
  sigaddset(&block, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &block, &previous);
  const bool was_pending = SigpipePending();
  bool broken = false;

  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      broken = n < 0 && errno == EPIPE;
      break;
    }
    done += static_cast<std::size_t>(n);
  }

  if (broken && !was_pending) {
    const timespec no_wait{0, 0};
    sigtimedwait(&block, nullptr, &no_wait);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace platform::dialogs_detail
