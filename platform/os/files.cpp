// Files and directories on the host. Names may come in the original
// platform's form; HostPath turns them into host paths first.
#include "platform/os/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <string>
#include <vector>

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

// Writes every byte, carrying on after short writes and interruptions.
// Answers 0 or the errno of the failure.
int WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// A name beside the target that no "intpos.*" or "ecf*.cds" search sees.
std::string TemporaryNameFor(const std::string& host_path) {
  static std::atomic<unsigned> counter{0};
  return ExtractFilePath(host_path) + "." + ExtractFileName(host_path) + "." + std::to_string(::getpid()) + "." +
         std::to_string(counter++) + ".tmp";
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

std::string ReadFileBytes(const std::string& path) {
  const std::string host = HostPath(path);
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) os::RaiseInOut("abrir", host, errno);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      os::RaiseInOut("ler", host, error);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
  const std::string host = HostPath(path);
  const std::string temporary = TemporaryNameFor(host);
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) os::RaiseInOut("criar", host, errno);
  // A replaced file keeps its permissions.
  struct stat previous;
  if (::stat(host.c_str(), &previous) == 0 && S_ISREG(previous.st_mode)) ::fchmod(fd, previous.st_mode & 07777);

  int error = WriteAll(fd, bytes);
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temporary.c_str(), host.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temporary.c_str());
    os::RaiseInOut("gravar", host, error);
  }
}

void AppendLine(const std::string& path, const std::string& text) {
  const std::string host = HostPath(path);
  int fd = ::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) os::RaiseInOut("abrir", host, errno);
  // One write per line, so two processes logging interleave whole lines.
  int error = WriteAll(fd, text + "\r\n");
  if (::close(fd) != 0 && !error) error = errno;
  if (error) os::RaiseInOut("gravar", host, error);
}

}  // namespace platform
