#include "platform/os/durable_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

namespace platform::durable {

namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string WorkNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return directory + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
}

int CloseFd(int fd) {
  // After an interrupted close the descriptor is gone on Linux: never retry.
  return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// Makes the rename itself durable.
int SyncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  int failure = ::fsync(fd) == 0 ? 0 : errno;
  // Some file systems cannot sync a directory; the data itself is synced.
  if (failure == EINVAL || failure == ENOTSUP) failure = 0;
  ::close(fd);
  return failure;
}

// Leftovers are looked for once per directory and process, at its first
// save there: a process's own later saves leave none behind.
void RemoveLeftoversOnce(const std::string& directory) {
  static std::mutex guard;
  static std::set<std::string> done;
  {
    const std::lock_guard<std::mutex> lock(guard);
    if (!done.insert(directory).second) return;
  }
  RemoveLeftovers(directory);
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A process that has ended, though its parent has not yet collected it (a
// power cut's kill takes a process and its parent together), is gone too.
bool ProcessGone(long pid) {
  if (::kill(static_cast<pid_t>(pid), 0) != 0) return errno == ESRCH;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t name_end = line.rfind(')');  // the state follows the name in parentheses
  return name_end != std::string::npos && name_end + 2 < line.size() &&
         (line[name_end + 2] == 'Z' || line[name_end + 2] == 'X');
}

}  // namespace

int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

Outcome SaveFile(const std::string& path, const std::function<int(int fd)>& write) {
  const std::string directory = DirectoryOf(path);
  RemoveLeftoversOnce(directory);
  // A name taken is a leftover of an earlier process that had this one's
  // id (after a restart ids come round again): the next number is free.
  std::string work;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    work = WorkNameFor(path);
    fd = ::open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return {"create a file beside", errno};
  // Held until the rename: a start elsewhere never takes this file for a
  // leftover. A file system without locks still saves.
  (void)::flock(fd, LOCK_EX | LOCK_NB);
  struct stat previous;
  if (::stat(path.c_str(), &previous) == 0 && S_ISREG(previous.st_mode)) ::fchmod(fd, previous.st_mode & 07777);

  Outcome failed;
  if (const int failure = write(fd)) {
    failed = {"write", failure};
  } else if (::fsync(fd) != 0) {
    failed = {"flush", errno};
  } else if (::rename(work.c_str(), path.c_str()) != 0) {
    failed = {"rename over", errno};
  }
  if (failed.step) {
    ::unlink(work.c_str());
    ::close(fd);
    return failed;
  }
  if (const int closed = CloseFd(fd)) return {"close", closed};
  if (const int synced = SyncDirectory(directory)) return {"flush the directory of", synced};
  return {};
}

long WorkFileOwner(const std::string& name) {
  std::string_view rest = name;
  if (rest.size() < 2 || rest.front() != '.' || !rest.ends_with(".tmp")) return 0;
  rest.remove_prefix(1);
  rest.remove_suffix(4);
  const std::size_t counter = rest.rfind('.');
  if (counter == std::string_view::npos || !AllDigits(rest.substr(counter + 1))) return 0;
  rest = rest.substr(0, counter);
  const std::size_t owner = rest.rfind('.');
  // A name of its own before the process id: ".<name>.<pid>".
  if (owner == std::string_view::npos || owner == 0 || !AllDigits(rest.substr(owner + 1))) return 0;
  const std::string_view digits = rest.substr(owner + 1);
  long pid = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (ec != std::errc() || end != digits.data() + digits.size() || pid <= 0 ||
      pid != static_cast<long>(static_cast<pid_t>(pid))) {
    return 0;
  }
  return pid;
}

int RemoveLeftovers(const std::string& directory) {
  std::vector<std::string> candidates;
  DIR* listing = ::opendir(directory.c_str());
  if (!listing) return 0;
  const long self = ::getpid();
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    const long owner = WorkFileOwner(name);
    if (owner > 0 && owner != self && ProcessGone(owner)) candidates.push_back(name);
  }
  ::closedir(listing);

  int removed = 0;
  for (const std::string& name : candidates) {
    const std::string path = directory + "/" + name;
    // Never through a link, never waiting on a pipe.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened, named;
    // A save still running holds its work file's lock (one on another
    // machine sharing the directory has a process id unknown here).
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && named.st_ino == opened.st_ino && named.st_dev == opened.st_dev &&
        ::unlink(path.c_str()) == 0) {
      ++removed;
    }
    ::close(fd);
  }
  return removed;
}

}  // namespace platform::durable
