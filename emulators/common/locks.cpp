#include "emulators/common/locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "emulators/common/escape.h"

namespace emu {

namespace {

std::string Reason(const std::string& what, int failure) { return what + ": " + std::strerror(failure); }

// Makes the lock directory, private to this user; refuses one that another
// user owns (a planted directory would let them hold our ports).
bool PrepareDirectory(const std::string& directory, std::string* error) {
  if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
    if (error) *error = Reason("cannot make " + directory, errno);
    return false;
  }
  struct stat info;
  if (::lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
    if (error) *error = directory + " is not a directory of this user";
    return false;
  }
  return true;
}

}  // namespace

bool FileLock::Acquire(const std::string& path, std::string* error) {
  Release();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (error) *error = Reason("cannot open " + path, errno);
    return false;
  }
  int locked;
  do locked = ::flock(fd, LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    const int failure = errno;
    ::close(fd);
    if (error)
      *error = failure == EWOULDBLOCK ? path + " is held by another process" : Reason("cannot lock " + path, failure);
    return false;
  }
  fd_ = fd;
  owner_ = ::getpid();
  path_ = path;
  return true;
}

bool FileLock::held() const { return fd_ >= 0 && owner_ == ::getpid(); }

void FileLock::Release() {
  if (fd_ < 0) return;
  // The open file is shared with any child forked meanwhile: the owner
  // unlocks it (a child would otherwise keep the lock alive), a child only
  // lets go of its copy (or it would take the lock from under its parent).
  if (::getpid() == owner_) ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
  path_.clear();
}

std::string PortLockDirectory() {
  if (const char* chosen = std::getenv("PKG_QDM_EMU_LOCK_DIR"); chosen && *chosen) return chosen;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    return std::string(runtime) + "/pkg_qdm_emu";
  return "/tmp/pkg_qdm_emu-" + std::to_string(::geteuid());
}

std::string PortLockFile(std::string_view port) {
  std::string name(port);
  if (name.rfind("\\\\.\\", 0) == 0) name.erase(0, 4);
  if (!name.empty() && name.back() == ':') name.pop_back();
  // Windows names are blind to letter case; device paths are not.
  if (name.find('/') == std::string::npos)
    for (char& c : name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return PortLockDirectory() + "/" + PercentEscape(name, "/\\.", true) + ".lock";
}

bool PortLock::Acquire(std::string_view port, std::string* error) {
  const std::string file = PortLockFile(port);
  if (lock_.held() && lock_.path() == file) return true;
  lock_.Release();
  const std::string directory = PortLockDirectory();
  return PrepareDirectory(directory, error) && lock_.Acquire(file, error);
}

}  // namespace emu
