#include "emulators/readers/pty_device.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <stdexcept>

namespace emu {
namespace {

struct Speed {
  unsigned baud;
  speed_t code;
};
constexpr Speed kSpeeds[] = {{110, B110},       {300, B300},       {1200, B1200},    {2400, B2400},   {4800, B4800},
                             {9600, B9600},     {19200, B19200},   {38400, B38400},  {57600, B57600}, {115200, B115200},
                             {230400, B230400}, {460800, B460800}, {921600, B921600}};

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

PtyDevice::PtyDevice() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    if (master_ >= 0) ::close(master_);
    throw std::runtime_error("no pseudo-terminal free");
  }
  slave_path_ = ptsname(master_);
  // Raw on both sides from the start: no echo back to the device, no line
  // editing of what it sends.
  termios settings;
  if (::tcgetattr(master_, &settings) == 0) {
    cfmakeraw(&settings);
    ::tcsetattr(master_, TCSANOW, &settings);
  }
}

PtyDevice::~PtyDevice() {
  if (master_ >= 0) ::close(master_);
}

bool PtyDevice::Send(const std::string& bytes) {
  std::size_t done = 0;
  const long long end = NowMs() + 1000;
  while (done < bytes.size() && NowMs() < end) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else
      ::poll(nullptr, 0, 1);
  }
  return done == bytes.size();
}

std::string PtyDevice::Receive(std::size_t count, int wait_ms) {
  std::string bytes;
  const long long end = NowMs() + wait_ms;
  do {
    pollfd watch{master_, POLLIN, 0};
    const long long left = end - NowMs();
    if (::poll(&watch, 1, count == 0 ? 0 : static_cast<int>(left > 0 ? left : 0)) <= 0 || !(watch.revents & POLLIN)) {
      // No slave open: the master reads as hung up; wait for the port.
      if (count == 0) break;
      ::poll(nullptr, 0, 1);
      continue;
    }
    char buffer[512];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) bytes.append(buffer, static_cast<std::size_t>(n));
    if (count == 0 && n <= 0) break;
  } while ((count == 0 || bytes.size() < count) && NowMs() < end);
  return bytes;
}

std::string PtyDevice::ReceiveUntilQuiet(int quiet_ms, int wait_ms) {
  std::string bytes;
  const long long end = NowMs() + wait_ms;
  long long quiet_end = NowMs() + quiet_ms;
  while (NowMs() < end && NowMs() < quiet_end) {
    pollfd watch{master_, POLLIN, 0};
    if (::poll(&watch, 1, 1) > 0 && (watch.revents & POLLIN)) {
      char buffer[512];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        bytes.append(buffer, static_cast<std::size_t>(n));
        quiet_end = NowMs() + quiet_ms;
        continue;
      }
    }
    ::poll(nullptr, 0, 1);
  }
  return bytes;
}

termios PtyDevice::LineSettings() const {
  // On the master side the line calls reach the slave's settings.
  termios settings{};
  ::tcgetattr(master_, &settings);
  return settings;
}

unsigned PtyDevice::Baud() const {
  const termios settings = LineSettings();
  const speed_t code = cfgetospeed(&settings);
  for (const Speed& speed : kSpeeds)
    if (speed.code == code) return speed.baud;
  return 0;
}

void PtyDevice::SetBaud(unsigned baud) {
  termios settings = LineSettings();
  for (const Speed& speed : kSpeeds)
    if (speed.baud == baud) {
      cfsetispeed(&settings, speed.code);
      cfsetospeed(&settings, speed.code);
    }
  ::tcsetattr(master_, TCSANOW, &settings);
}

void PtyDevice::SetLineSettings(const termios& settings) { ::tcsetattr(master_, TCSANOW, &settings); }

int PtyDevice::OpenCount() const {
  int count = 0;
  DIR* fds = ::opendir("/proc/self/fd");
  if (!fds) return -1;
  while (const dirent* entry = ::readdir(fds)) {
    char link[PATH_MAX];
    const std::string path = std::string("/proc/self/fd/") + entry->d_name;
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n > 0 && std::string(link, static_cast<std::size_t>(n)) == slave_path_) ++count;
  }
  ::closedir(fds);
  return count;
}

}  // namespace emu
