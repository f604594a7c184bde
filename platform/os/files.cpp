// Files and directories on the host. Names may come in the original
// platform's form; HostPath turns them into host paths first.
#include "platform/os/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/os/durable_file.h"
#include "platform/base/errors.h"
#include "platform/os/error.h"

namespace platform {
namespace {

bool StatOf(const std::string& path, struct stat& info) {
  return !path.empty() && ::stat(HostPath(path).c_str(), &info) == 0;
}

unsigned char Folded(char c) { return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c))); }

// '*' any run of characters, '?' exactly one; letters match in either case.
bool MatchesMask(const std::string& name, const std::string& mask) {
  size_t n = 0, m = 0;
  size_t star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || Folded(mask[m]) == Folded(name[n]))) {
      ++n, ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (star != std::string::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat info;
  return StatOf(path, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info;
  return StatOf(path, info) && S_ISDIR(info.st_mode);
}

bool ForceDirectories(const std::string& path) {
  std::string host = HostPath(path);
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  if (host.empty()) return false;
  if (DirectoryExists(host)) return true;
  size_t slash = host.rfind('/');
  if (slash != std::string::npos && slash > 0 && !ForceDirectories(host.substr(0, slash))) return false;
  return ::mkdir(host.c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(host));
}

bool DeleteFile(const std::string& path) { return !path.empty() && ::unlink(HostPath(path).c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && ::rename(HostPath(from).c_str(), HostPath(to).c_str()) == 0;
}

std::vector<std::string> FindFiles(const std::string& directory, const std::string& mask) {
  // A mask that carries a directory part ("resp\intpos.*") searches there.
  std::string folder = directory;
  if (size_t at = mask.find_last_of("/\\"); at != std::string::npos)
    folder = IncludeTrailingPathDelimiter(directory) + mask.substr(0, at + 1);
  const std::string name_mask = ExtractFileName(mask);
  const std::string host = IncludeTrailingPathDelimiter(HostPath(folder.empty() ? "." : folder));

  std::vector<std::string> names;
  DIR* listing = ::opendir(host.c_str());
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!MatchesMask(name, name_mask)) continue;
    struct stat info;
    if (::stat((host + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
  }
  ::closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

constexpr size_t kNoLimit = static_cast<size_t>(-1);

[[noreturn]] void RaiseTooLarge(const std::string& host, size_t limit) {
  throw EInOutError("N\xE3o foi poss\xEDvel ler " + host + ": maior que " + std::to_string(limit) + " bytes");
}

// Reads the open file from its current place to its end, refusing it once
// it passes `limit` bytes (a file that grows while it is read included). A
// regular file is read straight into a text of its size; what it grew by
// meanwhile, and files of no known size, come through a buffer.
std::string ReadToEnd(int fd, const std::string& host, size_t limit) {
  std::string bytes;
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at >= 0 && at < info.st_size) bytes.resize(std::min(static_cast<size_t>(info.st_size - at), limit));
  }
  size_t got = 0;
  char buffer[65536];
  for (;;) {
    const bool room = got < bytes.size();
    ssize_t n = room ? ::read(fd, bytes.data() + got, bytes.size() - got) : ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      os::RaiseInOut("ler", host, error);
    }
    if (n == 0) break;
    if (got + static_cast<size_t>(n) > limit) {
      ::close(fd);
      RaiseTooLarge(host, limit);
    }
    if (!room) bytes.append(buffer, static_cast<size_t>(n));
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

int OpenForReading(const std::string& host) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) os::RaiseInOut("abrir", host, errno);
  return fd;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
  const std::string host = HostPath(path);
  return ReadToEnd(OpenForReading(host), host, kNoLimit);
}

std::string ReadFileBounded(const std::string& path, size_t limit) {
  const std::string host = HostPath(path);
  const int fd = OpenForReading(host);
  struct stat info;
  // The size decides before a byte is read.
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<unsigned long long>(info.st_size) > limit) {
    ::close(fd);
    RaiseTooLarge(host, limit);
  }
  return ReadToEnd(fd, host, limit);
}

std::string ReadFileTail(const std::string& path, size_t count, size_t& size) {
  const std::string host = HostPath(path);
  const int fd = OpenForReading(host);
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    os::RaiseInOut("ler", host, error);
  }
  size = static_cast<size_t>(info.st_size);
  const size_t from = size > count ? size - count : 0;
  if (::lseek(fd, static_cast<off_t>(from), SEEK_SET) < 0) {
    const int error = errno;
    ::close(fd);
    os::RaiseInOut("ler", host, error);
  }
  return ReadToEnd(fd, host, count);
}

void WriteFileAt(const std::string& path, size_t offset, const std::string& bytes) {
  const std::string host = HostPath(path);
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) os::RaiseInOut("abrir", host, errno);
  int error = 0;
  if (::ftruncate(fd, static_cast<off_t>(offset)) != 0 || ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0)
    error = errno;
  if (!error) error = durable::WriteAll(fd, bytes.data(), bytes.size());
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (error) os::RaiseInOut("gravar", host, error);
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
  const std::string host = HostPath(path);
  const durable::Outcome saved =
      durable::SaveFile(host, [&](int fd) { return durable::WriteAll(fd, bytes.data(), bytes.size()); });
  if (!saved) os::RaiseInOut("gravar", host, saved.error);
}

void AppendLine(const std::string& path, const std::string& text) {
  const std::string host = HostPath(path);
  int fd = ::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) os::RaiseInOut("abrir", host, errno);
  // One write per line, so two processes logging interleave whole lines.
  const std::string line = text + "\r\n";
  int error = durable::WriteAll(fd, line.data(), line.size());
  if (::close(fd) != 0 && !error) error = errno;
  if (error) os::RaiseInOut("gravar", host, error);
}

}  // namespace platform
