#include "platform/os/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/base/clock.h"
#include "platform/os/error.h"
#include "platform/os/files.h"

namespace platform {

namespace {

// Between tries while another process holds the file.
constexpr int kRetryMs = 20;

struct Hold {
  int fd = -1;
  int count = 0;
  pid_t owner = 0;
};

// flock conflicts between two opens of one file even in one process, so the
// process keeps one open file per lock and counts its holders.
std::mutex g_mutex;
std::map<std::string, Hold>& Holds() {
  static std::map<std::string, Hold> holds;
  return holds;
}

}  // namespace

TFileLock::~TFileLock() { Release(); }

TLockResult TFileLock::Acquire(const std::string& path, int wait_ms) {
  Release();
  error_.clear();
  const std::string host = HostPath(path);
  for (int waited = 0;; waited += kRetryMs) {
    {
      std::lock_guard<std::mutex> guard(g_mutex);
      Hold& hold = Holds()[host];
      // A child of fork finds its parent's holds: the parent's, not its own.
      if (hold.count > 0 && hold.owner != ::getpid()) {
        ::close(hold.fd);
        hold = {};
      }
      if (hold.count > 0) {
        ++hold.count;
        path_ = host;
        return TLockResult::Held;
      }
      const int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      if (fd < 0) {
        const int error = errno;
        Holds().erase(host);
        error_ = os::ErrnoText(error);
        return error == ENOENT || error == ENOTDIR ? TLockResult::NoDirectory : TLockResult::NotWritable;
      }
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        hold = {fd, 1, ::getpid()};
        path_ = host;
        return TLockResult::Held;
      }
      ::close(fd);
      Holds().erase(host);
    }
    if (waited >= wait_ms) return TLockResult::Busy;
    clock::Pause(kRetryMs);
  }
}

void TFileLock::Release() {
  if (path_.empty()) return;
  std::lock_guard<std::mutex> guard(g_mutex);
  auto it = Holds().find(path_);
  if (it != Holds().end() && it->second.owner == ::getpid() && --it->second.count <= 0) {
    // Closing the only open file of this process drops the flock.
    ::close(it->second.fd);
    Holds().erase(it);
  }
  path_.clear();
}

}  // namespace platform
