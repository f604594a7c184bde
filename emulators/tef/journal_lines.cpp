#include "emulators/tef/journal_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tef_emu {
namespace {

constexpr std::size_t piece = 64 * 1024;

// Reads [offset, offset + size) whole; false on a failure.
bool read_at(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

class Fd {
 public:
  explicit Fd(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// A line gathered in pieces, given up once it passes the bound.
class Gathered {
 public:
  void prepend(const char* data, std::size_t size) {
    if (too_long_ || size == 0) return;
    if (text_.size() + size > max_journal_line) return give_up();
    text_.insert(0, data, size);
  }
  void append(const char* data, std::size_t size) {
    if (too_long_ || size == 0) return;
    if (text_.size() + size > max_journal_line) return give_up();
    text_.append(data, size);
  }
  bool whole() const { return !too_long_; }
  const std::string& text() const { return text_; }
  void clear() {
    text_.clear();
    too_long_ = false;
  }

 private:
  void give_up() {
    too_long_ = true;
    text_.clear();
    text_.shrink_to_fit();
  }
  std::string text_;
  bool too_long_ = false;
};

}  // namespace

JournalEnd journal_end(const std::filesystem::path& path) {
  JournalEnd found;
  Fd fd(path);
  struct stat info;
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || info.st_size <= 0) return found;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  std::vector<char> buffer(piece);
  for (std::uint64_t end = size; end > 0;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece, end));
    end -= n;
    if (!read_at(fd.get(), buffer.data(), n, end)) return found;
    for (std::size_t i = n; i-- > 0;) {
      if (buffer[i] == '\n') {
        found.lines_end = end + i + 1;
        found.torn = found.lines_end < size;
        return found;
      }
    }
  }
  found.torn = true;  // bytes, and not one line end
  return found;
}

void for_each_line_backward(const std::filesystem::path& path, std::uint64_t end, const BackwardVisit& visit) {
  if (end == 0) return;
  Fd fd(path);
  if (fd.get() < 0) return;
  std::vector<char> buffer(piece);
  Gathered line;
  std::uint64_t pos = end - 1;  // the last line's '\n' is not part of it
  while (pos > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(piece, pos));
    pos -= n;
    if (!read_at(fd.get(), buffer.data(), n, pos)) return;
    std::size_t stop = n;
    for (std::size_t i = n; i-- > 0;) {
      if (buffer[i] != '\n') continue;
      line.prepend(buffer.data() + i + 1, stop - i - 1);
      if (line.whole() && !visit(line.text(), pos + i + 1)) return;
      line.clear();
      stop = i;
    }
    line.prepend(buffer.data(), stop);
  }
  if (line.whole()) visit(line.text(), 0);
}

void for_each_line(const std::filesystem::path& path, const std::function<void(const std::string& line)>& visit) {
  Fd fd(path);
  if (fd.get() < 0) return;
  std::vector<char> buffer(piece);
  Gathered line;
  for (std::uint64_t pos = 0;;) {
    const ssize_t n = ::pread(fd.get(), buffer.data(), buffer.size(), static_cast<off_t>(pos));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    pos += static_cast<std::uint64_t>(n);
    std::size_t start = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
      if (buffer[i] != '\n') continue;
      line.append(buffer.data() + start, i - start);
      if (line.whole()) visit(line.text());
      line.clear();
      start = i + 1;
    }
    line.append(buffer.data() + start, static_cast<std::size_t>(n) - start);
  }
}

}  // namespace tef_emu
