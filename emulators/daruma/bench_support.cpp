#include "emulators/daruma/bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace daremu {

int DayNumber(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

DateTime FromDayNumber(int z) {
  z += 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  DateTime t;
  t.day = doy - (153 * mp + 2) / 5 + 1;
  t.month = mp + (mp < 10 ? 3 : -9);
  t.year = yoe + era * 400 + (t.month <= 2);
  return t;
}

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n % 100);
  return text;
}

std::string DayText(int days) {
  const DateTime t = FromDayNumber(days);
  return TwoDigits(t.day) + TwoDigits(t.month) + TwoDigits(t.year);
}

DateTime Clock::Now() const {
  if (frozen_) return at_;
  std::time_t now = std::time(nullptr) + static_cast<std::time_t>(offset_);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
          local.tm_sec};
}

bool Tape::Print(const std::string& text) {
  printed_ += text;
  if (path_.empty()) return true;
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (!file) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

void Tape::NewRoll() {
  printed_.clear();
  if (path_.empty()) return;
  if (std::FILE* file = std::fopen(path_.c_str(), "wb")) std::fclose(file);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      ::close(fd);
      ::unlink(temp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  const bool synced = ::fsync(fd) == 0;
  if (::close(fd) != 0 || !synced || std::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  bytes = out.str();
  return true;
}

}  // namespace daremu
