#include "emulators/common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace emu {

namespace {

// Writes all of [data, data + size), again after an interruption or a
// partial write; 0 or the errno of the failure.
int WriteFully(int fd, const char* data, std::size_t size) {
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

int WriteText(int fd, const std::string& bytes, const WriteOptions& options) {
  if (!options.between_lines) return WriteFully(fd, bytes.data(), bytes.size());
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    end = end == std::string::npos ? bytes.size() : end + 1;
    if (int failure = WriteFully(fd, bytes.data() + start, end - start)) return failure;
    start = end;
    if (start < bytes.size()) options.between_lines();
  }
  return 0;
}

int CloseFd(int fd) {
  // After an interrupted close the descriptor is gone on Linux: never retry.
  return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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

std::string WorkNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return directory + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<unsigned long long>(info.st_size) > limit) {
    ::close(fd);
    return ReadResult::TooLarge;
  }
  std::string text;
  char buffer[65536];
  ReadResult result = ReadResult::Read;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) result = ReadResult::Unreadable;
      break;
    }
    // A file that grows while it is read is refused all the same.
    if (text.size() + static_cast<std::size_t>(n) > limit) {
      result = ReadResult::TooLarge;
      break;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (result == ReadResult::Read) bytes = std::move(text);
  return result;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* error,
                     const WriteOptions& options) {
  auto failed = [&](const char* step, int failure) {
    if (error) *error = std::string("cannot ") + step + " " + path + ": " + std::strerror(failure);
    return false;
  };
  const std::string work = WorkNameFor(path);
  const int fd = ::open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return failed("create a file beside", errno);
  struct stat previous;
  if (::stat(path.c_str(), &previous) == 0 && S_ISREG(previous.st_mode)) ::fchmod(fd, previous.st_mode & 07777);

  const char* step = "write";
  int failure = WriteText(fd, bytes, options);
  if (!failure && ::fsync(fd) != 0) step = "flush", failure = errno;
  if (const int closed = CloseFd(fd); !failure && closed) step = "close", failure = closed;
  if (!failure && ::rename(work.c_str(), path.c_str()) != 0) step = "rename over", failure = errno;
  if (failure) {
    ::unlink(work.c_str());
    return failed(step, failure);
  }
  if (const int synced = SyncDirectory(DirectoryOf(path))) return failed("flush the directory of", synced);
  return true;
}

}  // namespace emu
