#include "tools/qdm_service/token.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "tools/qdm_service/dispatcher.h"

namespace qdm_service {

namespace {

constexpr std::size_t kTokenBytes = 32;

std::string Octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

bool IsToken(const std::string& text) {
  if (text.size() != kTokenBytes * 2) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

[[noreturn]] void Refuse(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + ": " + path + (errno ? std::string(" (") + std::strerror(errno) + ")" : ""));
}

// The token in the file; "" when the file holds none. Refuses a file other
// users could read or replace.
std::string Read(const std::string& path) {
  errno = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) Refuse("N\xE3o foi poss\xEDvel ler o token do servi\xE7o", path);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    ::close(fd);
    errno = 0;
    Refuse("O arquivo do token n\xE3o \xE9 um arquivo comum deste usu\xE1rio", path);
  }
  if ((st.st_mode & 077) != 0) {
    ::close(fd);
    errno = 0;
    Refuse("O arquivo do token pode ser lido por outros usu\xE1rios (permiss\365es " + Octal(st.st_mode) +
               "); restrinja-o com chmod 600",
           path);
  }
  char buffer[kTokenBytes * 2 + 8];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (n < 0) Refuse("N\xE3o foi poss\xEDvel ler o token do servi\xE7o", path);
  std::string text(buffer, static_cast<std::size_t>(n));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return IsToken(text) ? text : std::string();
}

void SyncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes a new token beside the file, synced, then puts it in place: as a
// link when there is no file (two first starts at once keep one token), or
// over a file that holds none.
std::string Create(const std::string& home, const std::string& path, bool replace) {
  const std::string token = RandomHex(kTokenBytes);
  const std::string temporary = path + ".novo-" + RandomHex(4);
  errno = 0;
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) Refuse("N\xE3o foi poss\xEDvel gravar o token do servi\xE7o", temporary);
  const std::string line = token + "\n";
  const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written) {
    ::unlink(temporary.c_str());
    Refuse("N\xE3o foi poss\xEDvel gravar o token do servi\xE7o", temporary);
  }
  const bool placed =
      replace ? ::rename(temporary.c_str(), path.c_str()) == 0 : ::link(temporary.c_str(), path.c_str()) == 0;
  const int placed_errno = errno;
  if (!replace) ::unlink(temporary.c_str());
  SyncDirectory(home);
  if (!placed) {
    if (!replace && placed_errno == EEXIST) return Read(path);  // another start made it first
    errno = placed_errno;
    Refuse("N\xE3o foi poss\xEDvel gravar o token do servi\xE7o", path);
  }
  return token;
}

}  // namespace

std::string LoadOrCreateToken(const std::string& home) {
  const std::string path = home + "/" + kTokenFileName;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) Refuse("N\xE3o foi poss\xEDvel ler o token do servi\xE7o", path);
    const std::string token = Create(home, path, false);
    if (!token.empty()) return token;
  }
  const std::string token = Read(path);
  return token.empty() ? Create(home, path, true) : token;
}

bool TokenMatches(const std::string& expected, const std::string& given) {
  if (expected.empty() || expected.size() != given.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) difference |= static_cast<unsigned char>(expected[i] ^ given[i]);
  return difference == 0;
}

}  // namespace qdm_service
