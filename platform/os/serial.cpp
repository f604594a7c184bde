// Serial ports as handles, on a non-blocking descriptor: every read and
// write waits with poll() in slices measured on the library clock, so a
// silent device costs a bounded wait and no processor time.
#include "platform/os/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/os/line_settings.h"
#include "platform/os/wait.h"

namespace platform {
namespace {

// What "wait for ever" becomes: a register must never hang on a port.
constexpr long long kLongestWaitMs = 5000;

struct Port {
  explicit Port(int descriptor, bool terminal) : fd(descriptor), is_terminal(terminal) {}
  ~Port() { ::close(fd); }
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  COMMTIMEOUTS Timeouts() {
    std::lock_guard lock(settings_mutex);
    return timeouts;
  }

  const int fd;
  const bool is_terminal;
  std::atomic<bool> closed{false};
  std::mutex read_mutex, write_mutex, settings_mutex;
  COMMTIMEOUTS timeouts;
};

std::mutex table_mutex;
HANDLE next_handle = 0x100;
std::map<HANDLE, std::shared_ptr<Port>>& Ports() {
  static auto* ports = new std::map<HANDLE, std::shared_ptr<Port>>;
  return *ports;
}

// Kept alive by the caller, so a close from another thread cannot pull
// the descriptor from under a read in progress.
std::shared_ptr<Port> Find(HANDLE handle) {
  std::lock_guard lock(table_mutex);
  auto found = Ports().find(handle);
  return found == Ports().end() ? nullptr : found->second;
}

int OpenFlags(DWORD access) {
  const bool reads = access & GENERIC_READ, writes = access & GENERIC_WRITE;
  int flags = (reads && writes) ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  return flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
}

enum class Wait { kReady, kTimedOut, kClosed, kBroken };

// Waits until the port is ready for `events` or the earlier deadline
// passes (one last look is taken then).
Wait WaitReady(Port& port, short events, const os::Deadline& deadline, const os::Deadline* sooner = nullptr) {
  for (;;) {
    if (port.closed) return Wait::kClosed;
    long long remaining = deadline.RemainingMs();
    if (sooner) remaining = std::min(remaining, sooner->RemainingMs());
    pollfd watch{port.fd, events, 0};
    const int ready = ::poll(&watch, 1, os::RealSliceMs(remaining));
    if (ready > 0) return (watch.revents & events) ? Wait::kReady : Wait::kBroken;  // hung up
    if (ready < 0 && errno != EINTR) return Wait::kBroken;
    if (remaining <= 0) return Wait::kTimedOut;
    if (ready == 0) os::AfterIdleSlice(remaining);
  }
}

// A terminal that reads as ended: the other side is gone (modem line
// dropped, pseudo-terminal closed).
bool HungUp(int fd) {
  pollfd watch{fd, POLLIN, 0};
  return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR));
}

long long TotalMs(DWORD multiplier, DWORD constant, DWORD count) {
  if (multiplier == 0 && constant == 0) return kLongestWaitMs;
  return static_cast<long long>(multiplier) * count + constant;
}

void Report(DWORD* out, DWORD value) {
  if (out) *out = value;
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void*, DWORD, DWORD, HANDLE) {
  if (!name || !*name) return INVALID_HANDLE_VALUE;
  const int fd = ::open(PortDevicePath(name).c_str(), OpenFlags(access));
  if (fd < 0) return INVALID_HANDLE_VALUE;
  auto port = std::make_shared<Port>(fd, ::isatty(fd) == 1);

  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return INVALID_HANDLE_VALUE;
  // Not shared: a second open of the same port, here or in another
  // program, fails as on the original platform.
  if (share == 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) return INVALID_HANDLE_VALUE;
  if (port->is_terminal) {
    termios settings;
    if (::tcgetattr(fd, &settings) != 0) return INVALID_HANDLE_VALUE;
    os::MakeRawLine(settings);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return INVALID_HANDLE_VALUE;
  }

  std::lock_guard lock(table_mutex);
  const HANDLE handle = next_handle;
  next_handle += 4;  // never reused: a stale handle reaches no other port
  Ports()[handle] = std::move(port);
  return handle;
}

BOOL GetCommState(HANDLE handle, DCB* dcb) {
  auto port = Find(handle);
  termios settings;
  if (!port || !dcb || !port->is_terminal || ::tcgetattr(port->fd, &settings) != 0) return false;
  *dcb = os::DcbOf(settings);
  return true;
}

BOOL SetCommState(HANDLE handle, const DCB* dcb) {
  auto port = Find(handle);
  termios settings;
  if (!port || !dcb || !port->is_terminal || ::tcgetattr(port->fd, &settings) != 0) return false;
  const termios before = settings;
  if (!os::ApplyDcb(*dcb, settings)) return false;
  if (::tcsetattr(port->fd, TCSANOW, &settings) != 0) return false;
  // tcsetattr succeeds when any part was taken: check the line really has
  // it all, else put the line back as it was.
  termios taken;
  const DCB wanted = os::DcbOf(settings);
  DCB got;
  got.BaudRate = 0;
  if (::tcgetattr(port->fd, &taken) == 0) got = os::DcbOf(taken);
  if (got.BaudRate == wanted.BaudRate && got.ByteSize == wanted.ByteSize && got.Parity == wanted.Parity &&
      got.StopBits == wanted.StopBits)
    return true;
  ::tcsetattr(port->fd, TCSANOW, &before);
  return false;
}

BOOL SetupComm(HANDLE handle, DWORD, DWORD) {
  // The kernel sizes its own queues; the call only has to find the port.
  return Find(handle) != nullptr;
}

BOOL SetCommTimeouts(HANDLE handle, const COMMTIMEOUTS* timeouts) {
  auto port = Find(handle);
  if (!port || !timeouts) return false;
  std::lock_guard lock(port->settings_mutex);
  port->timeouts = *timeouts;
  return true;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void*) {
  Report(read, 0);
  auto port = Find(handle);
  if (!port || (!buffer && count > 0)) return false;
  if (count == 0) return true;
  std::lock_guard serial(port->read_mutex);

  const COMMTIMEOUTS t = port->Timeouts();
  // MAXDWORD interval alone: what is there, at once. With a MAXDWORD
  // multiplier and a constant: wait that long for the first byte only.
  const bool at_once =
      t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
  const bool first_bytes_only = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                                t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MAXDWORD;
  const bool interval = t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;
  const os::Deadline total(first_bytes_only ? t.ReadTotalTimeoutConstant
                                            : TotalMs(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, count));
  std::optional<os::Deadline> gap;  // silence allowed after the last byte

  auto* bytes = static_cast<unsigned char*>(buffer);
  DWORD got = 0;
  while (got < count) {
    const ssize_t n = ::read(port->fd, bytes + got, count - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      if (interval) gap.emplace(t.ReadIntervalTimeout);
      if (first_bytes_only) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      Report(read, got);
      return false;  // the device went away
    }
    if (n == 0 && !port->is_terminal) break;  // end of a plain file
    if (n == 0 && HungUp(port->fd)) {
      Report(read, got);
      return false;
    }
    if (at_once) break;
    const Wait wait = WaitReady(*port, POLLIN, total, gap ? &*gap : nullptr);
    if (wait == Wait::kTimedOut) break;
    if (wait != Wait::kReady) {
      Report(read, got);
      return false;
    }
  }
  Report(read, got);
  return true;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void*) {
  Report(written, 0);
  auto port = Find(handle);
  if (!port || (!buffer && count > 0)) return false;
  std::lock_guard serial(port->write_mutex);

  const COMMTIMEOUTS t = port->Timeouts();
  const os::Deadline deadline(TotalMs(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, count));
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  DWORD done = 0;
  while (done < count) {
    const ssize_t n = ::write(port->fd, bytes + done, count - done);
    if (n > 0) {
      done += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // A write that could not finish in time is a failure: the caller must
    // not take a half-sent command for a sent one.
    if (!(n < 0 && errno == EAGAIN) || WaitReady(*port, POLLOUT, deadline) != Wait::kReady) {
      Report(written, done);
      return false;
    }
  }
  Report(written, done);
  return true;
}

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<Port> port;
  {
    std::lock_guard lock(table_mutex);
    auto found = Ports().find(handle);
    if (found == Ports().end()) return false;
    port = std::move(found->second);
    Ports().erase(found);
  }
  port->closed = true;  // a wait in progress on another thread gives up
  return true;
}

}  // namespace platform
