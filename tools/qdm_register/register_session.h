// One run of the register: where its files live (configuration, debug log,
// the emulated printer's memory and tape, the TEF managers' directories),
// and what it shows at the end.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/os/file_lock.h"

namespace qdm_register {

// Another register runs on the same home: its printer memory, tape and TEF
// directories are not to be shared. what() is Windows-1252.
class HomeBusy : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegisterSession {
 public:
  // Makes `directory` the register's home: the library sees its host
  // executable there, drive c: maps below it, and the emulated printer keeps
  // its memory and tape there. Maker libraries are still found beside the
  // real program. The home is locked for the session's life: a second
  // register on it raises HomeBusy.
  explicit RegisterSession(const std::string& directory);

  const std::string& directory() const { return directory_; }
  std::string file(const std::string& name) const { return directory_ + "/" + name; }
  // Host directory standing for "c:\".
  std::string drive_c() const { return file("drive_c"); }
  // Directory of the real program (where the emulators are built).
  const std::string& program_directory() const { return program_directory_; }

  // Notes how long a growing file (tape, log, journal) is now, so that
  // WrittenSince shows only what this run added.
  void MarkStart(const std::string& path);
  // What was appended to the file since MarkStart, as written.
  std::string BytesSince(const std::string& path) const;
  // The same for a person at a terminal (UTF-8, control bytes named).
  std::string WrittenSince(const std::string& path) const;

 private:
  std::string directory_;
  std::string program_directory_;
  std::map<std::string, std::uintmax_t> starts_;
  platform::TFileLock home_lock_;
};

// Name of the lock file in a register's home.
inline constexpr const char* kHomeLockName = "qdm_register.lck";

}  // namespace qdm_register
