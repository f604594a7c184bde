// Exclusive advisory locks on files (flock): held until released, and let
// go by the system when the process ends, however it ends. A second holder
// is refused at once, whether in another process or through another open of
// the same file in this one.
#pragma once
#include <string>
#include <string_view>

namespace emu {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates the file when missing and takes its lock; false (with the
  // reason in `error` when given) when another holds it or it cannot be
  // opened. A lock held already is released first.
  bool Acquire(const std::string& path, std::string* error = nullptr);
  void Release();
  // Held by this process (a forked child sees its parent's lock as not
  // its own).
  bool held() const;
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  int owner_ = 0;  // the process that took the lock
  std::string path_;
};

// Where the emulators lock their serial ports: $PKG_QDM_EMU_LOCK_DIR, else
// $XDG_RUNTIME_DIR/pkg_qdm_emu, else /tmp/pkg_qdm_emu-<uid>.
std::string PortLockDirectory();
// The lock file of a port, named after it: "COM1", "com1:" and "\\.\COM1"
// are one port; a device path keeps its letter case.
std::string PortLockFile(std::string_view port);

// A serial port held by this process as a real one would be: a second
// process cannot open it until it is closed or this process ends.
class PortLock {
 public:
  // Takes the port (keeps it when this process holds it already; lets go
  // of another port held before); false, with the reason in `error`, when
  // another process holds it or the lock cannot be made.
  bool Acquire(std::string_view port, std::string* error = nullptr);
  void Release() { lock_.Release(); }
  bool held() const { return lock_.held(); }

 private:
  FileLock lock_;
};

}  // namespace emu
