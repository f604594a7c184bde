#include "emulators/common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/durable_file.h"

namespace emu {

namespace {

int WriteText(int fd, const std::string& bytes, const WriteOptions& options) {
  if (!options.between_lines) return platform::durable::WriteAll(fd, bytes.data(), bytes.size());
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    end = end == std::string::npos ? bytes.size() : end + 1;
    if (int failure = platform::durable::WriteAll(fd, bytes.data() + start, end - start)) return failure;
    start = end;
    if (start < bytes.size()) options.between_lines();
  }
  return 0;
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
  const platform::durable::Outcome saved =
      platform::durable::SaveFile(path, [&](int fd) { return WriteText(fd, bytes, options); });
  if (!saved && error) *error = std::string("cannot ") + saved.step + " " + path + ": " + std::strerror(saved.error);
  return static_cast<bool>(saved);
}

}  // namespace emu
