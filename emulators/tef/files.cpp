#include "emulators/tef/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <strings.h>

#include "emulators/tef/stop.h"

namespace tef_emu {
namespace {

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool write_in_lines(int fd, const std::string& bytes, int pause_ms_between) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    end = (end == std::string::npos) ? bytes.size() : end + 1;
    if (!write_all(fd, bytes.data() + start, end - start)) return false;
    start = end;
    if (start < bytes.size()) pause_ms(pause_ms_between);
  }
  return true;
}

}  // namespace

std::optional<fs::path> find_file_nocase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  const fs::path exact = dir / name;
  if (fs::is_regular_file(exact, ec)) return exact;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (strcasecmp(it->path().filename().c_str(), name.c_str()) == 0 &&
        it->is_regular_file(ec))
      return it->path();
  }
  return std::nullopt;
}

std::optional<std::string> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool write_atomic(const fs::path& target, const std::string& bytes, int pause_between_lines_ms) {
  // A leading dot keeps the work file out of the library's "intpos.*" scans.
  const fs::path work = target.parent_path() /
      (".tef_manager." + std::to_string(::getpid()) + ".tmp");
  const int fd = ::open(work.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  if (ok) {
    ok = (pause_between_lines_ms > 0 ? write_in_lines(fd, bytes, pause_between_lines_ms)
                                     : write_all(fd, bytes.data(), bytes.size())) &&
         ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
  }
  if (ok) ok = ::rename(work.c_str(), target.c_str()) == 0;
  if (!ok) {
    std::cerr << "tef_manager: cannot write " << target.string() << ": "
              << std::strerror(errno) << '\n';
    ::unlink(work.c_str());
  }
  return ok;
}

}  // namespace tef_emu
